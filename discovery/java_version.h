#pragma once

#include <cstdint>

// A Java version as four signed parts (1.8.0_202 -> 1, 8, 0, 202).
// 0.0.0.0 stands for "no lower bound", 65535.65535.65535.65535 for "no upper bound".
struct JavaVersion {
    int32_t parts[4] = {0, 0, 0, 0};
};
