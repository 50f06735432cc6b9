#include "ui/trace_box_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every selection of the box copies out exactly the trace's characters it shows.
void expectSpansMatch(const std::string& trace, const TraceBoxText& box, size_t boxCharacters) {
    for (size_t from = 0; from <= boxCharacters; ++from)
        for (size_t to = from; to <= boxCharacters; ++to) {
            size_t added = 0, addedBefore = 0;
            for (size_t at : box.breaks) {
                addedBefore += at < from;
                added += at >= from && at < to;
            }
            const std::string span = traceBoxSpan(trace, box.breaks, from, to);
            EXPECT_EQ(span, traceBoxSpan(trace, {}, from - addedBefore, to - addedBefore - added))
                << from << ".." << to;
        }
    EXPECT_EQ(traceBoxSpan(trace, box.breaks, 0, boxCharacters), trace);
}

size_t characterCount(const std::string& utf8) {
    size_t count = 0;
    for (char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

TEST(TraceBoxText, OnlyLinesOverTheBoundAreSplitAtWholeCharacters) {
    struct Case {
        std::string trace;
        std::string box;
        std::vector<size_t> breaks;
    };
    const Case cases[] = {
        {"", "", {}},
        {"abcd\nef\n", "abcd\nef\n", {}}, // at the bound: unchanged
        {"abcdefghij", "abcd\nefgh\nij", {4, 9}},
        {"abcdefgh", "abcd\nefgh", {4}}, // no empty line after an exact multiple
        {"abcde\nxy\nabcd", "abcd\ne\nxy\nabcd", {4}},
        {"äöüßé", "äöüß\né", {4}}, // characters, not bytes
        {"a😀b😀c", "a😀b😀\nc", {4}},
    };
    for (const Case& c : cases) {
        TraceBoxText box = traceBoxText(c.trace, 4);
        EXPECT_EQ(box.text, c.box) << c.trace;
        EXPECT_EQ(box.breaks, c.breaks) << c.trace;
        expectSpansMatch(c.trace, box, characterCount(box.text));
    }
}

TEST(TraceBoxText, AMillionCharacterLineComesBackWhole) {
    const std::string trace = "java.lang.Error: " + std::string(1000000, 'x') + "\n\tat a.B.c\n";
    TraceBoxText box = traceBoxText(trace);
    EXPECT_EQ(box.breaks.size(), 1000017 / maxTraceBoxLineLength);
    EXPECT_EQ(traceBoxSpan(trace, box.breaks, 0, box.text.size()), trace);
    EXPECT_EQ(traceBoxSpan(trace, box.breaks, box.text.size() - 10, box.text.size()),
              "\tat a.B.c\n");
    EXPECT_EQ(traceBoxSpan(trace, box.breaks, 5, 2), ""); // a reversed range is empty
}

} // namespace
