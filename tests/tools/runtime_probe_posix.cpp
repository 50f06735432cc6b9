// Test tool: reads its settings file as the launcher does and runs the runtime search, with
// the inventory taken from the folders in RUNTIME_PROBE_FOLDERS (colon-separated) instead of
// the standard ones when that is set. Prints what the search decided.

#include "discovery/runtime_inventory.h"
#include "discovery/runtime_search.h"
#include "launch/read_settings.h"
#include "support/process_arguments.h"
#include "support/process_environment.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> splitFolders(const std::string& text) {
    std::vector<std::string> folders;
    size_t start = 0;
    for (size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        folders.push_back(text.substr(start, colon - start));
    folders.push_back(text.substr(start));
    return folders;
}

} // namespace

int main(int argc, char** argv) {
    rememberProcessArguments(argc, argv);
    const std::atomic<OsHandle> noErrorOwner{nullptr};
    std::optional<LaunchSettings> read = readSettings(noErrorOwner);
    if (!read)
        return 2;
    if (read->overrideWorkingDir)
        setWorkingFolder();
    const char* folders = std::getenv("RUNTIME_PROBE_FOLDERS");
    std::optional<RuntimeChoice> choice =
        folders ? locateRuntimeInFolders(read->runtime, splitFolders(folders))
                : locateRuntime(read->runtime);
    RuntimeChoice found = choice.value_or(RuntimeChoice());
    std::printf("found=%d\njvmPath=%s\nusePairedLauncher=%d\n", choice ? 1 : 0,
                found.jvmPath.c_str(), found.usePairedLauncher ? 1 : 0);
    return choice ? 0 : 1;
}
