#include "support/process_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(ReadEnvironmentVariable, TellsAnEmptyVariableFromAnAbsentOne) {
    struct Case {
        const wchar_t* value; // nullptr: the variable is removed
        bool defined;
        const char* read;
    } cases[] = {{L"", true, ""}, {nullptr, false, "unchanged"}, {L"C:\\x", true, "C:\\x"}};
    for (const Case& c : cases) {
        SetEnvironmentVariableW(L"JL_TEST_VARIABLE", c.value);
        std::string value = "unchanged";
        EXPECT_EQ(readEnvironmentVariable("JL_TEST_VARIABLE", value), c.defined);
        EXPECT_EQ(value, c.read);
    }
    SetEnvironmentVariableW(L"JL_TEST_VARIABLE", nullptr);
}

} // namespace
