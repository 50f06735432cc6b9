#pragma once

#include <string>
#include <vector>

class Launcher;

// The command line's arguments, the program path dropped, appended to arguments.
void parseCommandLine(std::vector<std::string>& arguments);
// Makes the launcher's folder the current folder; failures are passed over.
void setWorkingFolder();
// JL_JVM_PATH, JL_JVM_HOME, the library path option and the search path (start of run).
void prepareEnvironment(Launcher& launcher);
