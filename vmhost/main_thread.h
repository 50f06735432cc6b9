#pragma once

// The platform's threads for the main thread of the Java program.

#include <cstdint>

using ThreadWork = uint32_t (*)(void* argument);

// Runs work on a new thread whose stack reserves stackSize bytes (0: the platform's default)
// and waits for it without limit; when no thread can be made, runs work on this thread.
// Returns work's result.
uint32_t runOnNewThread(uint64_t stackSize, ThreadWork work, void* argument);

// Blocks the calling thread for good.
[[noreturn]] void parkThreadForever();
