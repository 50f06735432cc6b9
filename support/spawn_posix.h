#pragma once

// Starting another process with a clean slate: no signal blocked and every signal at its
// default (the Java VM blocks and handles some in its own way), standard streams chosen here.

#include <string>
#include <sys/types.h>
#include <vector>

struct SpawnRequest {
    std::vector<std::string> arguments; // the program first
    // The process's environment; empty means this process's own.
    std::vector<std::string> environment;
    int standardInput = -1;         // a descriptor to pass as standard input; -1: /dev/null
    bool keepStandardError = false; // else /dev/null
    bool newSession = false;        // away from the terminal and its signals
};

// This process's environment with name=value added (and any inherited name left out).
std::vector<std::string> environmentWith(const std::string& name, const std::string& value);

// The process id, or -1.
pid_t spawnProcess(const SpawnRequest& request);
