#include "launch/pair_product.h"

#include "launch/launcher.h"
#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

#include <vector>

namespace {

struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};
using Handle = UniqueResource<HandleTraits>;

} // namespace

int startPairProduct(const std::string& pairProduct, bool pairReturnCode) {
    // The child gets this process's command line as it is, own path first; CreateProcessW
    // may write to the buffer, so it gets a copy.
    const wchar_t* ownLine = GetCommandLineW();
    std::vector<wchar_t> commandLine(ownLine, ownLine + wcslen(ownLine) + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(toWide(pairProduct).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started))
        return exitCodeSuccess;
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    if (!pairReturnCode)
        return exitCodeSuccess;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code))
        return exitCodeSuccess;
    return static_cast<int>(code);
}
