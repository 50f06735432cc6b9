#include "launch/process_environment.h"

#include "launch/launcher.h"

void parseCommandLine(std::vector<std::string>&) {}

void setWorkingFolder() {}

void prepareEnvironment(Launcher&) {}
