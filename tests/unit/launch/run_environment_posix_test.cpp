#include "launch/run_environment.h"
#include "support/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

class PrepareEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"PATH", "LD_LIBRARY_PATH"})
            if (const char* value = std::getenv(name))
                saved_[name] = value;
        setenv("PATH", "/usr/bin:/bin", 1);
        setenv("LD_LIBRARY_PATH", "/opt/libs", 1);
        ASSERT_TRUE(launcherFolder(folder_));
    }
    void TearDown() override {
        for (const char* name : {"PATH", "LD_LIBRARY_PATH"}) {
            auto found = saved_.find(name);
            if (found == saved_.end())
                unsetenv(name);
            else
                setenv(name, found->second.c_str(), 1);
        }
    }
    static std::string variable(const char* name) {
        const char* value = std::getenv(name);
        return value ? value : "(undefined)";
    }

    const std::string jvmPath_ = "/opt/jre/lib/server/libjvm.so";
    std::string folder_;
    std::map<std::string, std::string> saved_;
};

TEST_F(PrepareEnvironment, SetsRuntimeVariablesLibraryOptionAndPath) {
    std::string option =
        prepareEnvironment(jvmPath_, "%JL_JVM_HOME%/tools", "/native:%JL_JVM_HOME%/ext:");
    EXPECT_EQ(variable("JL_JVM_PATH"), "/opt/jre/lib/server/libjvm.so");
    EXPECT_EQ(variable("JL_JVM_HOME"), "/opt/jre");
    const std::string library = "/native:/opt/jre/ext:" + folder_ + ":.:/opt/libs:/opt/jre/lib";
    EXPECT_EQ(option, "-Djava.library.path=" + library);
    EXPECT_EQ(variable("PATH"), "/opt/jre/tools:/usr/bin:/bin:/opt/jre/bin");
    EXPECT_EQ(variable("LD_LIBRARY_PATH"), "/opt/libs");
}

TEST_F(PrepareEnvironment, EmptyLibraryPathAddsNoOption) {
    unsetenv("PATH");
    EXPECT_TRUE(prepareEnvironment(jvmPath_, "", "").empty());
    EXPECT_EQ(variable("PATH"), "/opt/jre/bin");
}

TEST_F(PrepareEnvironment, UndefinedLibraryVariableIsLeftOut) {
    unsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(prepareEnvironment(jvmPath_, "", "/native"),
              "-Djava.library.path=/native" + folder_ + ":.:/opt/jre/lib");
}

} // namespace
