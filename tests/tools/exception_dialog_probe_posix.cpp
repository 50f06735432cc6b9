// Shows the "Java Exception" dialog for the report text in the file named by the first
// argument, as the launcher would for an uncaught throwable, and prints the answer
// ("ignore" or "stop") on standard output.

#include "ui/exception_dialog.h"
#include "ui/window_process.h"

#include <clocale>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

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
    return 0;
}
