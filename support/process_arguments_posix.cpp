#include "support/process_arguments.h"

namespace {
std::vector<std::string>& storedArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}
} // namespace

void rememberProcessArguments(int argc, char** argv) {
    storedArguments().assign(argv, argv + argc);
}

const std::vector<std::string>& processArguments() {
    return storedArguments();
}
