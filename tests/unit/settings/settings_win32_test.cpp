#include "settings/settings.h"
#include "settings/settings_platform.h"
#include "support/wide_text.h"
#include "unit/settings/temp_folder.h"

#include <gtest/gtest.h>
#include <optional>
#include <windows.h>

namespace {

// Sets (or with nullopt unsets) an environment variable for one scope.
class ScopedVariable {
  public:
    ScopedVariable(const wchar_t* name, std::optional<std::wstring> value) : name_(name) {
        wchar_t buffer[32768];
        DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
        if (length > 0 && length < 32768)
            old_ = std::wstring(buffer, length);
        SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }

  private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

TEST(SettingsOnWindows, PerUserFolderIsAppDataUpTo259Characters) {
    {
        ScopedVariable appData(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
        EXPECT_EQ(appDataFolder(), "C:\\Users\\u\\AppData\\Roaming");
    }
    {
        ScopedVariable appData(L"APPDATA", L"C:\\" + std::wstring(256, L'a'));
        EXPECT_EQ(appDataFolder().size(), 259u);
    }
    {
        ScopedVariable appData(L"APPDATA", L"C:\\" + std::wstring(257, L'a'));
        EXPECT_EQ(appDataFolder(), "");
    }
    ScopedVariable appData(L"APPDATA", std::nullopt);
    EXPECT_EQ(appDataFolder(), "");
}

TEST(SettingsOnWindows, ReportsTheNtFamily) {
    EXPECT_TRUE(isNtPlatform());
}

TEST(SettingsOnWindows, WriteBackMakesThePerUserFolders) {
    TempFolder folder;
    ScopedVariable appData(L"APPDATA", toWide(folder.path()));
    writeBackJrePath({"My:App", "{P}"}, false, "C:\\x86\\pair.exe",
                     "C:\\Program Files\\Java\\jre\\");

    std::string executable;
    ASSERT_TRUE(modulePath(executable));
    std::string name = executable.substr(executable.rfind('\\') + 1);
    std::string codeFolder = folder.file("MyApp/{P}");
    for (const std::string& file :
         {codeFolder + "\\" + name.substr(0, name.rfind('.')) + ".ini", codeFolder + "\\pair.ini"})
        EXPECT_EQ(SettingsFile(file).fileValue("Java Runtime Environment", "JRE Path"),
                  "C:\\Program Files\\Java\\jre\\")
            << file;
}

} // namespace
