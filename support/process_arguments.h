#pragma once

// POSIX only: the arguments main() received, kept so that the launch sequence can read them
// the way the Windows build reads GetCommandLineW.

#include <string>
#include <vector>

void rememberProcessArguments(int argc, char** argv);
const std::vector<std::string>& processArguments();
