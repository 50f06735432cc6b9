#include "support/process_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using Arguments = std::vector<std::string>;

TEST(SplitArguments, QuotingRules) {
    struct Case {
        const char* text;
        Arguments arguments;
    };
    const Case cases[] = {
        {"", {}},
        {"-a \"b c\" \"\" d", {"-a", "b c", "", "d"}},
        {"\"b c\"d e", {"b c", "d", "e"}},
        {"a\"b c\" d", {"a\"b", "c\"", "d"}},
        {"a \"b  c d", {"a", "b  c d"}},
        {"a\tb c", {"a\tb", "c"}},
        {"a   b  ", {"a", "b"}},
        {" a", {"", "a"}},
        {"   ", {""}},
        {"a \"", {"a", ""}},
        {"\"\"\"\"", {"", ""}},
        {"\"x\"\"y\"", {"x", "y"}},
        {"\xC3\xA9t\xC3\xA9 \"\xE6\x97\xA5 \xE6\x9C\xAC\"",
         {"\xC3\xA9t\xC3\xA9", "\xE6\x97\xA5 \xE6\x9C\xAC"}},
    };
    for (const Case& c : cases) {
        Arguments arguments = {"kept"};
        splitArguments(c.text, arguments);
        Arguments expected = {"kept"};
        expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(arguments, expected) << '[' << c.text << ']';
    }
}

TEST(SplitArguments, CommandLineDropsTheProgram) {
    Arguments arguments;
    splitCommandLine("\"C:\\Program Files\\App\\tool.exe\" -a \"b c\" \"\" d", arguments);
    EXPECT_EQ(arguments, (Arguments{"-a", "b c", "", "d"}));
    Arguments none;
    splitCommandLine("", none);
    splitCommandLine("tool.exe", none);
    EXPECT_TRUE(none.empty());
}

TEST(ExpandReferences, PercentRules) {
    const std::map<std::string, std::string> variables = {{"A", "x"}, {"Empty", ""}, {"P", "%A%"}};
    auto lookup = [&](const std::string& name, std::string& value) {
        auto found = variables.find(name);
        if (found == variables.end())
            return false;
        value = found->second;
        return true;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"%A%", "x"},
        {"[%A%%A%]", "[xx]"},
        {"%Nope%", "%Nope%"},
        {"%Nope%A%", "%Nope%A%"},
        {"%%", "%%"},
        {"%%A%", "%%A%"},
        {"%%%", "%%%"},
        {"100%", "100%"},
        {"%", "%"},
        {"a%b", "a%b"},
        {"%A", "%A"},
        {"[%Empty%]", "[]"},
        {"%P%", "%A%"},
        {"%a%", "%a%"},
        {"", ""},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(expandReferences(text, lookup), expanded) << text;
}

// The same rules hold for the platform's own expansion (names in their exact case).
TEST(ExpandEnvironment, ProcessVariables) {
    writeEnvironmentVariable("JL_TEST_A", "x");
    writeEnvironmentVariable("JL_TEST_EMPTY", "");
    const std::pair<const char*, const char*> cases[] = {
        {"%JL_TEST_A%\\b", "x\\b"},
        {"%JL_TEST_NOPE%JL_TEST_A%", "%JL_TEST_NOPE%JL_TEST_A%"},
        {"%%JL_TEST_A%", "%%JL_TEST_A%"},
        {"50% %JL_TEST_A%", "50% %JL_TEST_A%"},
        {"[%JL_TEST_EMPTY%]", "[]"},
        {"%", "%"},
        {"\xE6\x97\xA5%JL_TEST_A%", "\xE6\x97\xA5x"},
    };
    for (const auto& [text, expanded] : cases) {
        std::string value = text;
        expandEnvironment(value);
        EXPECT_EQ(value, expanded) << text;
    }
}

TEST(StripComponents, CutsAtTheLastSeparators) {
    const PathStyle win = PathStyle::windows;
    const PathStyle posix = PathStyle::posix;
    EXPECT_EQ(stripComponents("C:\\Java\\jre\\bin\\server\\jvm.dll", 3, win), "C:\\Java\\jre");
    EXPECT_EQ(stripComponents("C:\\Java\\jre\\bin\\server\\jvm.dll", 0, win),
              "C:\\Java\\jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(stripComponents("C:\\jvm.dll", 3, win), "C:");
    EXPECT_EQ(stripComponents("jvm.dll", 2, win), "jvm.dll");
    EXPECT_EQ(stripComponents("/opt/jre/lib/server/libjvm.so", 3, posix), "/opt/jre");
    EXPECT_EQ(stripComponents("/opt/jre/lib/server/libjvm.so", 2, posix), "/opt/jre/lib");
    EXPECT_EQ(stripComponents("/libjvm.so", 2, posix), "");
    EXPECT_EQ(stripComponents("a\\b/c", 1, posix), "a\\b");
}

TEST(CompletedPaths, LibraryAndSearchPathBeforeExpansion) {
    const std::string winJvm = "C:\\Java\\jre\\bin\\server\\jvm.dll";
    EXPECT_EQ(completeLibraryPath("C:\\Native;", "C:\\App\\", winJvm, true, windowsEnvironment),
              "C:\\Native;C:\\App\\;.;%Path%;C:\\Java\\jre\\lib");
    EXPECT_EQ(completeSearchPath("C:\\Tools", winJvm, true, windowsEnvironment),
              "C:\\Tools;%Path%;C:\\Java\\jre\\bin");
    EXPECT_EQ(completeSearchPath("C:\\Tools;", winJvm, true, windowsEnvironment),
              "C:\\Tools;%Path%;C:\\Java\\jre\\bin");
    EXPECT_EQ(completeSearchPath("", winJvm, true, windowsEnvironment),
              "%Path%;C:\\Java\\jre\\bin");

    const std::string posixJvm = "/opt/jre/lib/server/libjvm.so";
    EXPECT_EQ(completeLibraryPath("/native:", "/opt/app/", posixJvm, true, posixEnvironment),
              "/native:/opt/app/:.:%LD_LIBRARY_PATH%:/opt/jre/lib");
    EXPECT_EQ(completeLibraryPath("/native", "", posixJvm, false, posixEnvironment),
              "/native:.:/opt/jre/lib");
    EXPECT_EQ(completeSearchPath("/tools", posixJvm, true, posixEnvironment),
              "/tools:%PATH%:/opt/jre/bin");
    EXPECT_EQ(completeSearchPath("/tools:", posixJvm, false, posixEnvironment),
              "/tools:/opt/jre/bin");
}

TEST(WorkingFolder, BecomesTheExecutablesFolder) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::string folder;
    ASSERT_TRUE(launcherFolder(folder));
    setWorkingFolder();
    EXPECT_EQ((std::filesystem::current_path() / "").u8string(), folder);
    std::filesystem::current_path(before);
}

} // namespace
