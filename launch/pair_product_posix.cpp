#include "launch/pair_product.h"

#include "launch/launcher.h"
#include "support/process_arguments.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

int startPairProduct(const std::string& pairProduct, bool pairReturnCode) {
    // The child gets this process's arguments as they are, own path first, like the
    // Windows command line; the environment and the working folder are inherited.
    std::vector<std::string> arguments = processArguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, pairProduct.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return exitCodeSuccess;
    // Without a wait the child is left to run on its own; this process ends soon after.
    if (!pairReturnCode)
        return exitCodeSuccess;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return exitCodeSuccess;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    // Ended by a signal: the code a shell reports for it.
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : exitCodeSuccess;
}
