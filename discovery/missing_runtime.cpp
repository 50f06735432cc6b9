#include "discovery/missing_runtime.h"

#include "discovery/runtime_search.h"
#include "discovery/vm_library_check.h"
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

RuntimeChoice adoptPickedRuntime(RuntimeHost& host, const RuntimeFolderPick& pick,
                                 bool pairProductSet) {
    RuntimeChoice choice;
    choice.jvmPath = pick.vmLibraryPath();
    choice.usePairedLauncher = checkVmArchitecture(host, choice.jvmPath, pairProductSet);
    choice.pickedRuntimeFolder = pick.selectedFolder();
    return choice;
}

std::optional<RuntimeChoice> askForRuntime(const RuntimeRequirements& requirements,
                                           RuntimeHost& host) {
    MissingRuntimeRequest request;
    request.jvmType = requirements.jvmType;
    request.message =
        missingRuntimeMessage(requirements.jvmType, describeVersionRange(requirements.minVersion,
                                                                         requirements.maxVersion));
    request.downloadAddress = downloadAddress();
    RuntimeFolderPick pick(host, requirements.jvmType);
    if (runMissingRuntimeDialog(request, pick) != MissingRuntimeAnswer::ok || !pick.accepted())
        return std::nullopt;
    return adoptPickedRuntime(host, pick, requirements.pairProductSet);
}
