#include "support/process_arguments.h"
#include "support/process_environment.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseCommandLine, TakesTheArgumentsAsGiven) {
    const std::vector<std::string> saved = processArguments();
    std::string words[] = {"/opt/app/tool", "-a", "b c", "", "\"q\"", "d\te"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(),
                    words[3].data(), words[4].data(), words[5].data()};
    rememberProcessArguments(6, argv);
    std::vector<std::string> arguments;
    parseCommandLine(arguments);
    EXPECT_EQ(arguments, (std::vector<std::string>{"-a", "b c", "", "\"q\"", "d\te"}));

    rememberProcessArguments(0, nullptr);
    std::vector<std::string> none;
    parseCommandLine(none);
    EXPECT_TRUE(none.empty());

    std::vector<char*> restore;
    for (const std::string& word : saved)
        restore.push_back(const_cast<char*>(word.c_str()));
    rememberProcessArguments(static_cast<int>(restore.size()), restore.data());
}

} // namespace
