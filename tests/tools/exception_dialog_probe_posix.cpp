// Shows the "Java Exception" dialog for the report text in the file named by the first
// argument, as the launcher would for an uncaught throwable, and prints the answer
// ("ignore" or "stop") on standard output. Exit status 3 when a child process (a window
// process, running or not yet reaped) is left afterwards.

#include "ui/exception_dialog.h"
#include "ui/window_process.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

int main(int argc, char** argv) {
    runAsWindowProcessIfMarked();
    std::setlocale(LC_ALL, "");
    if (argc != 2) {
        std::fprintf(stderr, "usage: exception_dialog_probe REPORT-FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string report{std::istreambuf_iterator<char>(file), {}};
    std::puts(runExceptionDialog(report) == ExceptionChoice::ignore ? "ignore" : "stop");
    const bool noChildLeft = waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
    return noChildLeft ? 0 : 3;
}
