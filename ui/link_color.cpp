#include "ui/link_color.h"

#include <cstddef>
#include <limits>

namespace {

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The number at the start of text as wcstol reads it into a 32-bit long.
int32_t leadingNumber(const std::string& text, size_t begin, size_t end) {
    size_t i = begin;
    while (i < end && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // One past the largest magnitude is enough to know the result saturates.
    const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

uint32_t lowByte(int32_t number) {
    return static_cast<uint32_t>(number) & 0xFF;
}

} // namespace

ColorValue parseColor(const std::string& text) {
    int32_t parts[3] = {};
    size_t position = 0;
    for (int part = 0; part < 2; ++part) {
        size_t comma = text.find(',', position);
        if (comma == std::string::npos)
            return invalidColor;
        parts[part] = leadingNumber(text, position, comma);
        if (parts[part] == -1)
            return invalidColor;
        position = comma + 1;
    }
    if (position >= text.size())
        return invalidColor;
    parts[2] = leadingNumber(text, position, text.size());
    return lowByte(parts[0]) | (lowByte(parts[1]) << 8) | (lowByte(parts[2]) << 16);
}
