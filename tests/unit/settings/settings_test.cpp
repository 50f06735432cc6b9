#include "settings/settings.h"

#include "unit/settings/temp_folder.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(SettingsPath, ReplacesTheExecutablesExtension) {
    struct Case {
        const char* executable;
        PathStyle style;
        const char* expected; // nullptr: no settings file
    } cases[] = {
        {"C:\\App\\tool.exe", PathStyle::windows, "C:\\App\\tool.ini"},
        {"C:\\App\\tool.v2.exe", PathStyle::windows, "C:\\App\\tool.v2.ini"},
        {"C:/App/tool.exe", PathStyle::windows, "C:/App/tool.ini"},
        {"C:\\App\\tool", PathStyle::windows, nullptr},
        {"C:\\My.App\\tool", PathStyle::windows, nullptr},
        {"", PathStyle::windows, nullptr},
        {"/opt/app/tool", PathStyle::posix, "/opt/app/tool.ini"},
        {"/opt/app/tool.sh", PathStyle::posix, "/opt/app/tool.ini"},
        {"/opt/app.d/tool", PathStyle::posix, "/opt/app.d/tool.ini"},
        {"", PathStyle::posix, nullptr},
    };
    for (const auto& c : cases) {
        std::string path = "stale";
        EXPECT_EQ(settingsPathFor(c.executable, c.style, path), c.expected != nullptr)
            << c.executable;
        if (c.expected) {
            EXPECT_EQ(path, c.expected) << c.executable;
        }
    }
}

TEST(SettingsPath, PerUserFileLiesBelowProductAndCode) {
    const ProductIdentity product{"A/B:C\\?\"|><*D", "{2C7A}"};
    SettingsContext windows;
    windows.style = PathStyle::windows;
    windows.appData = "C:\\Users\\u\\AppData\\Roaming";
    EXPECT_EQ(userSettingsPathFor(product, windows, "C:\\App\\tool.exe", false),
              "C:\\Users\\u\\AppData\\Roaming\\ABCD\\{2C7A}\\tool.ini");
    windows.appData.clear();
    EXPECT_EQ(userSettingsPathFor(product, windows, "..\\x86\\pair.v2.exe", false),
              "\\ABCD\\{2C7A}\\pair.v2.ini");

    SettingsContext posix;
    posix.style = PathStyle::posix;
    posix.appData = "/home/u/.config";
    EXPECT_EQ(userSettingsPathFor(product, posix, "/opt/app/tool", false),
              "/home/u/.config/ABCD/{2C7A}/tool.ini");
}

TEST(YesSetting, IgnoresOnlyAsciiLetterCase) {
    for (const char* yes : {"Yes", "yes", "YES", "yEs"})
        EXPECT_TRUE(isYesInAnyCase(yes)) << yes;
    for (const char* no : {"", "Y", "true", "1", " Yes", "Yes ", "Yess", "no"})
        EXPECT_FALSE(isYesInAnyCase(no)) << no;
}

// A launcher folder with its settings file, and a per-user folder, in a fresh temp folder.
class SettingsTest : public ::testing::Test {
  protected:
    SettingsTest() {
        context.executablePath = folder.file("app/tool.exe");
        context.settingsPath = folder.file("app/tool.ini");
        context.appData = folder.file("appdata");
        std::filesystem::create_directories(std::filesystem::u8path(folder.file("app")));
        std::filesystem::create_directories(std::filesystem::u8path(context.appData));
    }
    void writeSettings(const std::string& text) { TempFolder::write(context.settingsPath, text); }
    // The settings file with "Main Class" and the given lines in their sections.
    void writeWithMainClass(const std::string& runtimeLines, const std::string& appLines = "") {
        writeSettings("[Java Runtime Environment]\nMain Class=app.Main\n" + runtimeLines +
                      "\n[Application]\n" + appLines + "\n");
    }
    // What was read, or the defaults when nothing was (loaded tells).
    LaunchSettings load() {
        std::optional<LaunchSettings> read = loadSettings(context);
        loaded = read.has_value();
        return read.value_or(LaunchSettings{});
    }

    TempFolder folder;
    SettingsContext context;
    bool loaded = false;
};

TEST_F(SettingsTest, MainClassIsRequiredAndTakesSlashes) {
    writeSettings("[java runtime environment]\nmain class=com.example.Main\n");
    EXPECT_EQ(load().mainClassName, "com/example/Main");
    EXPECT_TRUE(loaded);

    // Without it nothing is read.
    writeSettings("[Application]\nFailure Check=Yes\nPair Product=p.exe\n");
    EXPECT_FALSE(loadSettings(context).has_value());

    // The built-in text can name it.
    context.builtInText = "[Java Runtime Environment]\r\nMain Class=builtin.Main\r\n";
    EXPECT_EQ(load().mainClassName, "builtin/Main");
    EXPECT_TRUE(loaded);
}

TEST_F(SettingsTest, ProductKeysComeOnlyFromTheFile) {
    context.builtInText = "[Product Information]\r\nProduct Name=Built In\r\n"
                          "[Java Runtime Environment]\r\nMain Class=m\r\n";
    writeSettings("[Product Information]\nProduct Code={C}\n");
    LaunchSettings read = load();
    EXPECT_EQ(read.product.name, "");
    EXPECT_EQ(read.product.code, "{C}");
}

TEST_F(SettingsTest, EachKeyFollowsItsOwnRule) {
    using Check = std::function<void(const LaunchSettings&)>;
    struct Case {
        const char* runtimeLines;
        const char* applicationLines;
        Check check;
    } cases[] = {
        {"Minimum Version=1.7\nMaximum Version=1.8", "",
         [](const LaunchSettings& l) {
             EXPECT_EQ(l.runtime.minVersion, (JavaVersion{{1, 7, 0, 0}}));
             EXPECT_EQ(l.runtime.maxVersion, (JavaVersion{{1, 8, 65535, 65535}}));
         }},
        {"Minimum Version=any\nMaximum Version=any", "",
         [](const LaunchSettings& l) {
             EXPECT_EQ(l.runtime.minVersion, JavaVersion::lowest());
             EXPECT_EQ(l.runtime.maxVersion, JavaVersion::highest());
         }},
        {"Minimum Version=ANY", "",
         [](const LaunchSettings& l) { EXPECT_EQ(l.runtime.minVersion, JavaVersion::lowest()); }},
        {"", "",
         [](const LaunchSettings& l) {
             EXPECT_EQ(l.runtime.maxVersion, JavaVersion::highest());
             EXPECT_FALSE(l.runtime.pairProductSet);
         }},
        {"Preferred versions=1.8;;1.6;", "",
         [](const LaunchSettings& l) {
             EXPECT_EQ(l.runtime.preferredVersions, (std::vector<std::string>{"1.8", "", "1.6"}));
         }},
        {"", "Application Type=service", [](const LaunchSettings& l) { EXPECT_TRUE(l.isService); }},
        {"", "Application Type=Service",
         [](const LaunchSettings& l) { EXPECT_FALSE(l.isService); }},
        {"", "Single Instance=yes", [](const LaunchSettings& l) { EXPECT_TRUE(l.singleInstance); }},
        {"", "Single Instance=Yes",
         [](const LaunchSettings& l) { EXPECT_FALSE(l.singleInstance); }},
        {"JVM Type=server", "",
         [](const LaunchSettings& l) { EXPECT_EQ(l.runtime.jvmType, JvmType::server); }},
        {"JVM Type=favor_server", "",
         [](const LaunchSettings& l) { EXPECT_EQ(l.runtime.jvmType, JvmType::favorServer); }},
        {"JVM Type=Server", "",
         [](const LaunchSettings& l) { EXPECT_EQ(l.runtime.jvmType, JvmType::client); }},
        {"", "Failure Check=yes\nOverride WorkingDir=YES\nPair Return Code=Yes",
         [](const LaunchSettings& l) {
             EXPECT_TRUE(l.showExceptionDialog);
             EXPECT_TRUE(l.overrideWorkingDir);
             EXPECT_TRUE(l.pairReturnCode);
         }},
        {"", "Failure Check=true\nOverride WorkingDir=1\nPair Return Code=y",
         [](const LaunchSettings& l) {
             EXPECT_FALSE(l.showExceptionDialog);
             EXPECT_FALSE(l.overrideWorkingDir);
             EXPECT_FALSE(l.pairReturnCode);
         }},
        {"System Path=%APP%\\bin\nLibrary Path=lib", "Pair Product=..\\x86\\tool.exe",
         [](const LaunchSettings& l) {
             EXPECT_EQ(l.systemPath, "%APP%\\bin");
             EXPECT_EQ(l.libraryPath, "lib");
             EXPECT_EQ(l.pairProduct, "..\\x86\\tool.exe");
             EXPECT_TRUE(l.runtime.pairProductSet);
         }},
    };
    for (const auto& c : cases) {
        writeWithMainClass(c.runtimeLines, c.applicationLines);
        LaunchSettings read = load();
        EXPECT_TRUE(loaded);
        SCOPED_TRACE(std::string(c.runtimeLines) + "|" + c.applicationLines);
        c.check(read);
    }
}

TEST_F(SettingsTest, JvmSourceComparesExactly) {
    struct Case {
        const char* value;
        bool kindFallback, jdkWanted, jreWanted;
    } cases[] = {
        {"", true, true, true},
        {"favor_JRE", true, false, true},
        {"favor_JDK", true, true, false},
        {"only_JRE", false, false, true},
        {"only_JDK", false, true, false},
        {"only_jre", false, false, false},
        {"anything", false, false, false},
    };
    for (const auto& c : cases) {
        writeWithMainClass(std::string("JVM Source=") + c.value);
        const RuntimeRequirements runtime = load().runtime;
        EXPECT_EQ(runtime.kindFallback, c.kindFallback) << c.value;
        EXPECT_EQ(runtime.jdkWanted, c.jdkWanted) << c.value;
        EXPECT_EQ(runtime.jreWanted, c.jreWanted) << c.value;
    }
}

TEST_F(SettingsTest, VmProviderIgnoresLetterCase) {
    struct Case {
        const char* value;
        bool flags[6]; // jrockit admitted/favored, sun admitted/favored, ibm admitted/favored
    } cases[] = {
        {"", {false, false, true, true, false, false}},
        {"sun", {false, false, true, true, false, false}},
        {"jrockit", {true, true, false, false, false, false}},
        {"IBM", {false, false, false, false, true, true}},
        {"favor_sun", {true, false, true, true, true, false}},
        {"Favor_JRockit", {true, true, true, false, true, false}},
        {"FAVOR_IBM", {true, false, true, false, true, true}},
        {"any", {true, false, true, false, true, false}},
    };
    for (const auto& c : cases) {
        writeWithMainClass(std::string("VM Provider=") + c.value);
        const RuntimeRequirements l = load().runtime;
        bool flags[6] = {l.jrockitAdmitted, l.jrockitFavored, l.sunAdmitted,
                         l.sunFavored,      l.ibmAdmitted,    l.ibmFavored};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(flags[i], c.flags[i]) << c.value << " flag " << i;
    }
}

class JrePathTest : public SettingsTest {
  protected:
    JrePathTest() {
        writeSettings("[Product Information]\nProduct Name=My/App\nProduct Code={P}\n"
                      "[Java Runtime Environment]\nMain Class=m\nJRE Path=C:\\FromLauncher\n"
                      "[Application]\nPair Product=" +
                      folder.file("pair/pair.exe") + "\n");
        userPath = folder.file("appdata/MyApp/{P}/tool.ini");
    }
    void writeUserFile(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::u8path(userPath).parent_path());
        TempFolder::write(userPath, text);
    }
    std::string userPath;
};

TEST_F(JrePathTest, PerUserFileAnswersAloneWhenItExists) {
    EXPECT_EQ(load().runtime.jrePath, "C:\\FromLauncher");

    writeUserFile("[java runtime environment]\njre path=D:\\FromUser\n");
    EXPECT_EQ(load().runtime.jrePath, "D:\\FromUser");

    // Existing without the key: empty, although the launcher file names a folder.
    writeUserFile("[Other]\nx=1\n");
    EXPECT_EQ(load().runtime.jrePath, "");

    // A service and a system outside the NT family read the launcher file only.
    writeUserFile("[Java Runtime Environment]\nJRE Path=D:\\FromUser\n");
    context.ntPlatform = false;
    EXPECT_EQ(load().runtime.jrePath, "C:\\FromLauncher");
    context.ntPlatform = true;
    writeSettings(TempFolder::read(context.settingsPath) + "Application Type=service\n");
    EXPECT_EQ(load().runtime.jrePath, "C:\\FromLauncher");
}

TEST_F(JrePathTest, WriteBackGoesToThePerUserFilesOnNt) {
    LaunchSettings read = load();
    writeBackJrePath(read.product, read.isService, read.pairProduct, context, "E:\\Chosen\\");
    auto jrePathIn = [](const std::string& path) {
        return SettingsFile(path).fileValue("Java Runtime Environment", "JRE Path");
    };
    EXPECT_EQ(jrePathIn(userPath), "E:\\Chosen\\");
    EXPECT_EQ(jrePathIn(folder.file("appdata/MyApp/{P}/pair.ini")), "E:\\Chosen\\");
    EXPECT_EQ(jrePathIn(context.settingsPath), "C:\\FromLauncher");
    EXPECT_FALSE(TempFolder::exists(folder.file("pair/pair.ini")));
    // The next start reads it back.
    EXPECT_EQ(load().runtime.jrePath, "E:\\Chosen\\");

    // Without a pair product only the own per-user file is written.
    writeBackJrePath(read.product, read.isService, "", context, "F:\\Again");
    EXPECT_EQ(jrePathIn(userPath), "F:\\Again");
    EXPECT_EQ(jrePathIn(folder.file("appdata/MyApp/{P}/pair.ini")), "E:\\Chosen\\");
}

TEST_F(JrePathTest, WriteBackGoesBesideTheExecutablesForAService) {
    std::filesystem::create_directories(std::filesystem::u8path(folder.file("pair")));
    for (bool service : {true, false}) {
        LaunchSettings read = load();
        context.ntPlatform = service; // a service on NT, or no service outside NT
        std::string chosen = service ? "E:\\Service" : "E:\\NotNt";
        writeBackJrePath(read.product, service, read.pairProduct, context, chosen);
        EXPECT_EQ(
            SettingsFile(context.settingsPath).fileValue("Java Runtime Environment", "JRE Path"),
            chosen);
        EXPECT_EQ(SettingsFile(folder.file("pair/pair.ini"))
                      .fileValue("java runtime environment", "jre path"),
                  chosen);
        EXPECT_FALSE(TempFolder::exists(userPath));
        // The rest of the launcher file stays.
        EXPECT_EQ(load().mainClassName, "m");
    }
}

} // namespace
