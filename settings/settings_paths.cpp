#include "settings/settings.h"
#include "settings/settings_platform.h"

namespace {

// Where the file name of a path begins.
size_t fileNameStart(const std::string& path, PathStyle style) {
    size_t separator = style == PathStyle::windows ? path.find_last_of("\\/") : path.rfind('/');
    return separator == std::string::npos ? 0 : separator + 1;
}

std::string withoutExtension(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

// Characters that cannot stand in a folder name.
std::string folderNameOf(const std::string& productName) {
    std::string name;
    for (char c : productName) {
        if (std::string("\\?\"|><:/*").find(c) == std::string::npos)
            name += c;
    }
    return name;
}

void writeJrePath(const std::string& path, const std::string& folder) {
    SettingsFile(path).setValue(SettingsSection::javaRuntimeEnvironment, SettingsKey::jrePath,
                                folder);
}

} // namespace

bool settingsPathFor(const std::string& executablePath, PathStyle style, std::string& path) {
    if (executablePath.empty())
        return false;
    // Only the file name's last "." counts: a dotted folder name is no extension.
    size_t dot = executablePath.rfind('.');
    if (dot == std::string::npos || dot < fileNameStart(executablePath, style)) {
        if (style == PathStyle::windows)
            return false;
        path = executablePath + ".ini";
        return true;
    }
    path = executablePath.substr(0, dot + 1) + "ini";
    return true;
}

bool currentSettingsContext(SettingsContext& context) {
    if (!modulePath(context.executablePath) ||
        !settingsPathFor(context.executablePath, context.style, context.settingsPath))
        return false;
    context.builtInText = builtInSettingsText();
    context.appData = appDataFolder();
    context.ntPlatform = isNtPlatform();
    return true;
}

bool settingsFilePath(std::string& path) {
    std::string executable;
    return modulePath(executable) && settingsPathFor(executable, hostPathStyle(), path);
}

std::string userSettingsPathFor(const ProductIdentity& product, const SettingsContext& context,
                                const std::string& executablePath, bool createFolders) {
    const std::string separator(1, pathSeparator(context.style));
    std::string productFolder = context.appData + separator + folderNameOf(product.name);
    std::string codeFolder = productFolder + separator + product.code;
    if (createFolders)
        createUserSettingsFolders(context.appData, {productFolder, codeFolder});
    std::string fileName = executablePath.substr(fileNameStart(executablePath, context.style));
    return codeFolder + separator + withoutExtension(fileName) + ".ini";
}

void writeBackJrePath(const ProductIdentity& product, bool isService,
                      const std::string& pairProduct, const SettingsContext& context,
                      const std::string& folder) {
    if (context.ntPlatform && !isService) {
        writeJrePath(userSettingsPathFor(product, context, context.executablePath, true), folder);
        if (!pairProduct.empty())
            writeJrePath(userSettingsPathFor(product, context, pairProduct, true), folder);
        return;
    }
    writeJrePath(context.settingsPath, folder);
    std::string pairPath;
    if (settingsPathFor(pairProduct, context.style, pairPath))
        writeJrePath(pairPath, folder);
}

void writeBackJrePath(const ProductIdentity& product, bool isService,
                      const std::string& pairProduct, const std::string& folder) {
    SettingsContext context;
    if (currentSettingsContext(context))
        writeBackJrePath(product, isService, pairProduct, context, folder);
}
