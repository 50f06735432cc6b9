#include "ui/messages.h"

#include <gtest/gtest.h>

namespace {
struct FormatCase {
    const char* pattern;
    std::initializer_list<FormatArgument> arguments;
    const char* expected;
};

TEST(FormatText, FillsPlaceholdersInOrder) {
    const FormatCase cases[] = {
        {"Windows exception: %s (errno = %d).\n",
         {"cannot find CreateJavaVM JNI", 127},
         "Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"},
        {"version between %s and %s", {"1.6", "1.8"}, "version between 1.6 and 1.8"},
        {"%d", {static_cast<uint32_t>(0xFFFFFFFFu)}, "-1"},
        {"missing %s here", {}, "missing  here"},
        {"100%% of %s", {"it"}, "100% of it"},
        {"odd %x stays", {"unused"}, "odd %x stays"},
        {"trailing %", {}, "trailing %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatText(c.pattern, c.arguments), c.expected) << c.pattern;
}
} // namespace
