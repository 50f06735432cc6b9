#include "discovery/missing_runtime.h"

#include "discovery/runtime_search.h"
#include "discovery/vm_library_check.h"
#include "launch/launcher.h"
#include "settings/settings.h"
#include "ui/messages.h"

#ifndef LAUNCHER_DOWNLOAD_URL
#error "LAUNCHER_DOWNLOAD_URL comes from the build (CMake option of the same name)"
#endif

const char* downloadAddress() {
    return LAUNCHER_DOWNLOAD_URL;
}

std::string describeVersionRange(const JavaVersion& low, const JavaVersion& high) {
    if (isUnbounded(low) && isUnbounded(high))
        return formatResourceString(MessageId::latestVersion, {});
    if (isUnbounded(low))
        return formatResourceString(MessageId::maximumVersion, {toString(high)});
    if (isUnbounded(high))
        return formatResourceString(MessageId::minimumVersion, {toString(low)});
    if (low == high)
        return formatResourceString(MessageId::exactVersion, {toString(low)});
    return formatResourceString(MessageId::versionBetween, {toString(low), toString(high)});
}

std::string missingRuntimeMessage(JvmType type, const std::string& versionPhrase) {
    int id = type == JvmType::server ? MessageId::jreNotFoundServer : MessageId::jreNotFound;
    return formatResourceString(id, {versionPhrase});
}

void RuntimeFolderPick::pick(const std::string& folder) {
    const char separator = host_.layout().separator;
    selectedFolder_ = folder;
    if (!selectedFolder_.empty() && selectedFolder_.back() != separator)
        selectedFolder_ += separator;
    bool hasServerVm = false;
    vmLibraryPath_ = selectedFolder_.empty()
                         ? std::string()
                         : findVmLibrary(host_, selectedFolder_, type_, hasServerVm);
}

void adoptPickedRuntime(Launcher& launcher, RuntimeHost& host, const RuntimeFolderPick& pick) {
    launcher.jvmPath = pick.vmLibraryPath();
    checkVmArchitecture(launcher, host);
}

bool askForRuntime(Launcher& launcher, RuntimeHost& host) {
    MissingRuntimeRequest request;
    request.jvmType = launcher.jvmType;
    request.message = missingRuntimeMessage(
        launcher.jvmType, describeVersionRange(launcher.minVersion, launcher.maxVersion));
    request.downloadAddress = downloadAddress();
    RuntimeFolderPick pick(host, launcher.jvmType);
    if (runMissingRuntimeDialog(request, pick) != MissingRuntimeAnswer::ok || !pick.accepted())
        return false;
    adoptPickedRuntime(launcher, host, pick);
    // This process never loads a runtime meant for the paired launcher, so that pick is
    // remembered at once; any other only once its library has loaded (Launcher::run).
    if (launcher.usePairedLauncher)
        writeBackJrePath({launcher.productName, launcher.productCode}, launcher.isService,
                         launcher.pairProduct, pick.selectedFolder());
    else
        launcher.pickedRuntimeFolder = pick.selectedFolder();
    return true;
}
