#include "launch/run_environment.h"
#include "support/paths.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class PrepareEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = read(L"Path");
        SetEnvironmentVariableW(L"Path", L"C:\\windows\\system32;C:\\windows");
        ASSERT_TRUE(launcherFolder(folder_));
    }
    void TearDown() override { SetEnvironmentVariableW(L"Path", saved_.c_str()); }
    static std::wstring read(const wchar_t* name) {
        wchar_t buffer[4096];
        DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
        return length > 0 && length < 4096 ? std::wstring(buffer, length) : L"(undefined)";
    }

    const std::string jvmPath_ = "C:\\Java\\jre\\bin\\server\\jvm.dll";
    std::string folder_;
    std::wstring saved_;
};

TEST_F(PrepareEnvironment, SetsRuntimeVariablesLibraryOptionAndPath) {
    std::string option =
        prepareEnvironment(jvmPath_, "%jl_jvm_home%\\tools", "C:\\Native;%JL_JVM_HOME%\\ext;");
    EXPECT_EQ(read(L"JL_JVM_PATH"), L"C:\\Java\\jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(read(L"JL_JVM_HOME"), L"C:\\Java\\jre");
    const std::string library = "C:\\Native;C:\\Java\\jre\\ext;" + folder_ +
                                ";.;C:\\windows\\system32;C:\\windows;C:\\Java\\jre\\lib";
    EXPECT_EQ(option, "-Djava.library.path=" + library);
    EXPECT_EQ(read(L"PATH"),
              L"C:\\Java\\jre\\tools;C:\\windows\\system32;C:\\windows;C:\\Java\\jre\\bin");
}

TEST_F(PrepareEnvironment, EmptyLibraryPathAddsNoOption) {
    EXPECT_TRUE(prepareEnvironment(jvmPath_, "C:\\Tools;", "").empty());
    EXPECT_EQ(read(L"Path"), L"C:\\Tools;C:\\windows\\system32;C:\\windows;C:\\Java\\jre\\bin");
}

TEST_F(PrepareEnvironment, AnEmptyPathIsDefined) {
    SetEnvironmentVariableW(L"Path", L"");
    // A defined Path contributes its (empty) text where an undefined one contributes nothing.
    EXPECT_EQ(prepareEnvironment(jvmPath_, "", "C:\\Native;"),
              "-Djava.library.path=C:\\Native;" + folder_ + ";.;;C:\\Java\\jre\\lib");
    EXPECT_EQ(read(L"Path"), L";C:\\Java\\jre\\bin");
}

} // namespace
