#include "ui/exception_window.h"

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

const PlacedControl javaExceptionControlUnits[] = {
    {ExceptionControl::frame, {8, 11, 267, 232}},
    {ExceptionControl::icon, {16, 26, 36, 46}},
    {ExceptionControl::heading, {42, 28, 259, 44}},
    {ExceptionControl::trace, {16, 54, 259, 156}},
    {ExceptionControl::instructions, {16, 164, 259, 182}},
    {ExceptionControl::warning, {16, 187, 259, 205}},
    {ExceptionControl::ignore, {153, 210, 203, 224}},
    {ExceptionControl::stop, {209, 210, 259, 224}},
    {-1, {}},
};

WindowMessage exceptionWindowRequest(const MessageLanguage& language,
                                     const std::string& reportText) {
    WindowMessage request{"exception", {}};
    for (const char* key :
         {"caption", "group", "heading", "instructions", "warning", "ignore", "stop"})
        request.add(key, language.dialogText(231, key));
    request.add("report", std::string(utf8Prefix(reportText, maxWindowValueSize)));
    return request;
}

AnchoredLayout javaExceptionLayout(const PixelRect& client,
                                   const std::vector<PlacedControl>& controls) {
    AnchoredLayout layout(client.width(), client.height());
    for (const PlacedControl& control : controls)
        layout.add(control.id, control.rect, javaExceptionAnchors);
    return layout;
}

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
