#pragma once

#include <string>
#include <vector>

class Launcher;

// The command line's arguments, the program path dropped, appended to arguments.
void parseCommandLine(std::vector<std::string>& arguments);
// Appends the arguments of text: only blanks separate, a double quote groups only at the
// start of an argument, no escapes.
void splitArguments(const std::string& text, std::vector<std::string>& arguments);
// Replaces %NAME% with the variable's value; unknown names stay as written.
void expandEnvironment(std::string& text);
// The path without its last n components (separator: backslash on Windows, slash on POSIX).
std::string stripComponents(const std::string& path, int n);
// Makes the launcher's folder the current folder; failures are passed over.
void setWorkingFolder();
// JL_JVM_PATH and JL_JVM_HOME from jvmPath.
void setJvmVariables(const Launcher& launcher);
// JL_JVM_PATH, JL_JVM_HOME, the library path option and the search path (start of run).
void prepareEnvironment(Launcher& launcher);
