#include "settings/settings.h"
#include "unit/settings/temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

// Sets (or with nullopt unsets) an environment variable for one scope.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsOnPosix, PerUserFolderFollowsTheBaseDirectoryRules) {
    ScopedVariable home("HOME", "/home/someone");
    {
        ScopedVariable config("XDG_CONFIG_HOME", "/custom/config");
        EXPECT_EQ(appDataFolder(), "/custom/config");
    }
    for (std::optional<std::string> ignored :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        ScopedVariable config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(appDataFolder(), "/home/someone/.config");
    }
}

TEST(SettingsOnPosix, WriteBackMakesThePrivatePerUserFolders) {
    TempFolder folder;
    std::string config = folder.file("config");
    ScopedVariable variable("XDG_CONFIG_HOME", config);
    writeBackJrePath({"My App", "{P}"}, false, "/opt/pair/pair", "/usr/lib/jvm/java-17/");

    std::string executable;
    ASSERT_TRUE(modulePath(executable));
    std::string name = executable.substr(executable.rfind('/') + 1);
    std::string own = config + "/My App/{P}/" + name.substr(0, name.rfind('.')) + ".ini";
    EXPECT_EQ(SettingsFile(own).fileValue("Java Runtime Environment", "JRE Path"),
              "/usr/lib/jvm/java-17/");
    EXPECT_EQ(SettingsFile(config + "/My App/{P}/pair.ini")
                  .fileValue("Java Runtime Environment", "JRE Path"),
              "/usr/lib/jvm/java-17/");
    for (const std::string& made : {config, config + "/My App", config + "/My App/{P}"}) {
        struct stat status {};
        ASSERT_EQ(stat(made.c_str(), &status), 0) << made;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
}

} // namespace
