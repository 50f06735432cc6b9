#include "ui/trace_box_text.h"

#include <algorithm>

namespace {

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The byte offset of the character at index count (the end when there are fewer).
size_t byteOffsetOfCharacter(std::string_view text, size_t count) {
    size_t at = 0;
    for (; at < text.size(); ++at)
        if (startsCharacter(text[at]) && count-- == 0)
            return at;
    return text.size();
}

// The trace's character offset of a box character offset.
size_t traceOffset(const std::vector<size_t>& breaks, size_t boxOffset) {
    const size_t addedBefore = static_cast<size_t>(
        std::lower_bound(breaks.begin(), breaks.end(), boxOffset) - breaks.begin());
    return boxOffset - addedBefore;
}

} // namespace

TraceBoxText traceBoxText(std::string_view trace, size_t maxLength) {
    TraceBoxText box;
    box.text.reserve(trace.size() + trace.size() / maxLength + 1);
    size_t characters = 0; // in box.text
    size_t lineLength = 0;
    for (char byte : trace) {
        if (startsCharacter(byte)) {
            if (byte == '\n') {
                lineLength = 0;
            } else if (lineLength++ == maxLength) {
                box.breaks.push_back(characters++);
                box.text.push_back('\n');
                lineLength = 1;
            }
            ++characters;
        }
        box.text.push_back(byte);
    }
    return box;
}

std::string traceBoxSpan(std::string_view trace, const std::vector<size_t>& breaks, size_t from,
                         size_t to) {
    const size_t begin = byteOffsetOfCharacter(trace, traceOffset(breaks, from));
    const size_t end = byteOffsetOfCharacter(trace, traceOffset(breaks, std::max(from, to)));
    return std::string(trace.substr(begin, end - begin));
}
