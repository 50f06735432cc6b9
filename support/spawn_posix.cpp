#include "support/spawn_posix.h"

#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace {

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() { posix_spawnattr_init(&attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

bool chooseStreams(const SpawnRequest& request, posix_spawn_file_actions_t& actions) {
    bool ok =
        request.standardInput >= 0
            ? posix_spawn_file_actions_adddup2(&actions, request.standardInput, STDIN_FILENO) == 0
            : posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) ==
                  0;
    ok = ok &&
         posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0;
    if (!request.keepStandardError)
        ok = ok && posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY,
                                                    0) == 0;
    return ok;
}

bool resetSignals(const SpawnRequest& request, posix_spawnattr_t& attributes) {
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (request.newSession)
        flags |= POSIX_SPAWN_SETSID;
    return posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
           posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
           posix_spawnattr_setflags(&attributes, flags) == 0;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> environmentWith(const std::string& name, const std::string& value) {
    const std::string prefix = name + "=";
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0)
            entries.emplace_back(*entry);
    entries.push_back(prefix + value);
    return entries;
}

pid_t spawnProcess(const SpawnRequest& request) {
    if (request.arguments.empty())
        return -1;
    SpawnActions spawn;
    SpawnAttributes attributes;
    if (!chooseStreams(request, spawn.actions) || !resetSignals(request, attributes.attributes))
        return -1;
    std::vector<std::string> arguments = request.arguments;
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<std::string> environment = request.environment;
    std::vector<char*> envp = pointersTo(environment);
    pid_t processId = -1;
    if (posix_spawn(&processId, argv[0], &spawn.actions, &attributes.attributes, argv.data(),
                    request.environment.empty() ? environ : envp.data()) != 0)
        return -1;
    return processId;
}
