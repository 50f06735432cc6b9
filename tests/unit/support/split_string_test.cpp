#include "support/split_string.h"

#include <gtest/gtest.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(SplitString, KeepsInnerEmptyPiecesAndDropsATrailingOne) {
    struct Case {
        const char* text;
        const char* separator;
        Pieces expected;
    } cases[] = {
        {"a;;b", ";", {"a", "", "b"}},  {"a;b;", ";", {"a", "b"}},
        {";a", ";", {"", "a"}},         {";", ";", {""}},
        {";;", ";", {"", ""}},          {"", ";", {}},
        {"abc", ";", {"abc"}},          {"a\r\nb\r\n", "\r\n", {"a", "b"}},
        {"a\nb", "\r\n", {"a\nb"}},     {"a\r\r\nb", "\r\n", {"a\r", "b"}},
        {"C:\\x\\", "\\", {"C:", "x"}},
    };
    for (const auto& c : cases) {
        Pieces pieces{"stale"};
        splitString(c.text, c.separator, pieces);
        EXPECT_EQ(pieces, c.expected) << c.text;
    }
}

} // namespace
