#pragma once

// Launcher settings: where the settings files are, the reading of the launcher's keys
// (loadSettings) and the write-back of "JRE Path". All on the first thread.
//
// Files: the launcher settings file beside the executable (settingsFilePath); a per-user file
// below the per-user folder (Windows: APPDATA; POSIX: $XDG_CONFIG_HOME or ~/.config) that holds
// "JRE Path" only; the pair product's two files, which are only written.
//
// Steps that read their own keys later build their lookups the same way:
//   std::string path;
//   if (!settingsFilePath(path)) ...            // the user has been told when it matters
//   LayeredSettings settings(path, builtInSettingsText());
//   settings.value(SettingsSection::application, SettingsKey::outputFile);      // layered
//   settings.fileValue(SettingsSection::display, SettingsKey::splashScreen);    // plain

#include "settings/launch_settings.h"
#include "settings/settings_source.h"
#include "support/paths.h"

#include <optional>
#include <string>

namespace SettingsSection {
constexpr char productInformation[] = "Product Information";
constexpr char javaRuntimeEnvironment[] = "Java Runtime Environment";
constexpr char application[] = "Application";
constexpr char classPath[] = "Class Path";
constexpr char display[] = "Display";
} // namespace SettingsSection

namespace SettingsKey {
// Product Information (plain lookups)
constexpr char productCode[] = "Product Code";
constexpr char upgradeCode[] = "Upgrade Code";
constexpr char productName[] = "Product Name";
// Java Runtime Environment (layered)
constexpr char minimumVersion[] = "Minimum Version";
constexpr char maximumVersion[] = "Maximum Version";
constexpr char preferredVersions[] = "Preferred versions";
constexpr char jrePath[] = "JRE Path";
constexpr char jvmType[] = "JVM Type";
constexpr char jvmSource[] = "JVM Source";
constexpr char vmProvider[] = "VM Provider";
constexpr char mainClass[] = "Main Class";
constexpr char systemPath[] = "System Path";
constexpr char libraryPath[] = "Library Path";
constexpr char virtualMachineParameters[] = "Virtual Machine Parameters";
constexpr char classDataCache[] = "Class Data Cache";
// Application (layered)
constexpr char applicationType[] = "Application Type";
constexpr char failureCheck[] = "Failure Check";
constexpr char overrideWorkingDir[] = "Override WorkingDir";
constexpr char pairProduct[] = "Pair Product";
constexpr char pairReturnCode[] = "Pair Return Code";
constexpr char singleInstance[] = "Single Instance";
constexpr char embeddedJar[] = "Embedded Jar";
constexpr char outputFile[] = "Output File";
constexpr char outputAppend[] = "Output Append";
constexpr char errorFile[] = "Error File";
constexpr char errorAppend[] = "Error Append";
constexpr char cmd[] = "Cmd";
// Class Path (layered)
constexpr char classPath[] = "Class Path";
// Display (plain)
constexpr char splashScreen[] = "Splash Screen";
constexpr char splashScreenShadow[] = "Splash Screen Shadow";
constexpr char preferNativeSplashScreen[] = "Preffer Native Splash Screen"; // spelled so
} // namespace SettingsKey

// "Yes" in any ASCII letter case: the yes/no rule of most keys ("Single Instance" and the
// append keys take exactly "yes" instead).
bool isYesInAnyCase(const std::string& value);

// The launcher settings file: the executable's path with its extension replaced by "ini"
// (C:\App\tool.exe -> C:\App\tool.ini; /opt/app/tool -> /opt/app/tool.ini). False when the
// module path is not available (the user has been told) or, on Windows, the executable's name
// has no extension.
bool settingsFilePath(std::string& path);
// The per-user folder: APPDATA (empty when unset or longer than 259 characters) on Windows;
// $XDG_CONFIG_HOME, else ~/.config, on POSIX (empty when neither can be had).
std::string appDataFolder();
// Remembers the runtime folder the user chose when no runtime was found: writes "JRE Path" to
// the per-user files (NT family, not a service) or to the settings files beside the
// executables. Failures are passed over; nothing is written when the settings file path
// cannot be made.
void writeBackJrePath(const ProductIdentity& product, bool isService,
                      const std::string& pairProduct, const std::string& folder);

// The facts of the running process that the rules above take, given explicitly by tests.
struct SettingsContext {
    std::string executablePath;
    std::string settingsPath;
    std::string builtInText;
    std::string appData;
    bool ntPlatform = true;
    PathStyle style = hostPathStyle();
};

// The running process's context; false as settingsFilePath.
bool currentSettingsContext(SettingsContext& context);
// The settings file of an executable by the rules of settingsFilePath; false when none.
bool settingsPathFor(const std::string& executablePath, PathStyle style, std::string& path);
// <per-user folder>/<product name without \?"|><:/*>/<product code>/<executable's name without
// extension>.ini; with createFolders the product and product-code folders are made on the
// way (POSIX: the per-user folder too), failures ignored.
std::string userSettingsPathFor(const ProductIdentity& product, const SettingsContext& context,
                                const std::string& executablePath, bool createFolders);
// The reading step without its message: the launcher's keys, or nullopt when no main class is
// configured.
std::optional<LaunchSettings> loadSettings(const SettingsContext& context);
void writeBackJrePath(const ProductIdentity& product, bool isService,
                      const std::string& pairProduct, const SettingsContext& context,
                      const std::string& folder);
