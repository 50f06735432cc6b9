#include "support/process_environment.h"

#include "support/process_arguments.h"

#include <cstdlib>
#include <unistd.h>

void parseCommandLine(std::vector<std::string>& arguments) {
    const std::vector<std::string>& all = processArguments();
    if (!all.empty())
        arguments.insert(arguments.end(), all.begin() + 1, all.end());
}

void expandEnvironment(std::string& text) {
    text = expandReferences(text, readEnvironmentVariable);
}

bool readEnvironmentVariable(const std::string& name, std::string& value) {
    const char* found = std::getenv(name.c_str());
    if (!found)
        return false;
    value = found;
    return true;
}

void writeEnvironmentVariable(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void setCurrentFolder(const std::string& folder) {
    if (chdir(folder.c_str()) != 0) {
        // The launcher goes on in the folder it was started in.
    }
}

std::string narrowOptionText(const std::string& utf8) {
    return utf8;
}
