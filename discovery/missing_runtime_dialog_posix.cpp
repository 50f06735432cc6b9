#include "discovery/missing_runtime.h"

#include "discovery/missing_runtime_window.h"
#include "ui/message_table.h"
#include "ui/window_process.h"

#include <cstdio>
#include <cstdlib>

namespace {

// What is needed and where to get it stays on standard error, shown or not.
void writeToStandardError(const MissingRuntimeRequest& request) {
    std::fprintf(stderr, "%s\n%s\n", request.message.c_str(), request.downloadAddress.c_str());
    std::fflush(stderr);
}

} // namespace

MissingRuntimeAnswer runMissingRuntimeDialog(const MissingRuntimeRequest& request,
                                             RuntimeFolderPick& pick) {
    writeToStandardError(request);
    if (!windowsAvailable())
        return MissingRuntimeAnswer::cancel;
    const MessageLanguage& language = nearestMessageLanguage(
        messageLocaleName([](const char* name) { return std::getenv(name); }));
    MissingRuntimeAnswer answer = readMissingRuntimeAnswer(
        runModalWindow(missingRuntimeWindowRequest(language, request)), pick);
    // A window that could not be shown leaves the user with the text above, as without a
    // display.
    return answer == MissingRuntimeAnswer::notShown ? MissingRuntimeAnswer::cancel : answer;
}
