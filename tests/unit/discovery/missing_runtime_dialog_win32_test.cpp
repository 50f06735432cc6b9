#include "discovery/missing_runtime_dialog_win32.h"

#include "support/wide_text.h"
#include "ui/messages.h"
#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One press of Browse: the folder the stand-in browser returns (null: the user cancelled
// the browser), and what the dialog shows afterwards.
struct Browse {
    const wchar_t* folder;
    const wchar_t* expectedEdit;
    bool expectedOk;
};

struct Script {
    const char* name;
    std::vector<Browse> browses;
    int finalButton; // IDOK or IDCANCEL
};

// State shared with the timer that plays the script inside the dialog's modal loop.
struct ScriptRun {
    const Script* script = nullptr;
    size_t next = 0;
    std::vector<std::wstring> browseTitles;
    std::vector<std::string> failures;
    std::wstring message;
    std::wstring link;
    bool okAtStart = true;
    RECT placement = {};
};
ScriptRun current;

bool standInBrowser(HWND, const std::wstring& title, std::wstring& folder) {
    current.browseTitles.push_back(title);
    const Browse& browse = current.script->browses[current.next];
    if (browse.folder == nullptr)
        return false;
    folder = browse.folder;
    return true;
}

bool noOpen(const std::wstring&) {
    return false;
}

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

std::wstring itemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

void CALLBACK playScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        current.failures.push_back("no dialog");
        return;
    }
    current.message = itemText(dialog, 203);
    current.link = itemText(dialog, 205);
    current.okAtStart = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    GetWindowRect(dialog, &current.placement);
    for (current.next = 0; current.next < current.script->browses.size(); ++current.next) {
        const Browse& browse = current.script->browses[current.next];
        // The notification code is not looked at: a click and anything else alike.
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(202, current.next), 0);
        if (itemText(dialog, 201) != browse.expectedEdit)
            current.failures.push_back("edit after browse " + std::to_string(current.next));
        if ((IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE) != browse.expectedOk)
            current.failures.push_back("OK after browse " + std::to_string(current.next));
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(current.script->finalButton, BN_CLICKED), 0);
}

// The real dialog 201 from the executable's resources, with a stand-in for the shell's
// folder browser: each script presses Browse a few times and then OK or Cancel.
TEST(MissingRuntimeDialog, BrowseResultsDriveOk) {
    FakeRuntimeHost host;
    host.addHome("C:\\Java\\jre7\\", {"client"});
    host.addHome("C:\\Java\\server\\", {"server"});
    const Script scripts[] = {
        {"valid", {{L"C:\\Java\\jre7", L"C:\\Java\\jre7", true}}, IDOK},
        {"invalid", {{L"C:\\Nothing", L"C:\\Nothing", false}}, IDCANCEL},
        {"valid then invalid",
         {{L"C:\\Java\\jre7\\", L"C:\\Java\\jre7\\", true},
          {L"C:\\Nothing", L"C:\\Nothing", false}},
         IDCANCEL},
        {"browser cancelled keeps the pick",
         {{L"C:\\Java\\jre7", L"C:\\Java\\jre7", true}, {nullptr, L"C:\\Java\\jre7", true}},
         IDOK},
        {"client wanted, only a server VM there",
         {{L"C:\\Java\\server", L"C:\\Java\\server", true}},
         IDOK},
        {"cancelled at once", {}, IDCANCEL},
    };
    MissingRuntimeRequest request;
    request.message = "The runtime was not found (minimum version 1.7) from:";
    for (const Script& script : scripts) {
        current = ScriptRun();
        current.script = &script;
        RuntimeFolderPick pick(host, JvmType::client);
        MissingRuntimeDialog dialog(request, pick, standInBrowser, noOpen);
        ASSERT_NE(SetTimer(nullptr, 0, 10, playScript), 0u);
        EXPECT_EQ(dialog.run(nullptr), script.finalButton) << script.name;
        EXPECT_EQ(current.failures, std::vector<std::string>()) << script.name;
        EXPECT_EQ(current.message, toWide(request.message)) << script.name;
        EXPECT_EQ(current.link, toWide(downloadAddress())) << script.name;
        EXPECT_FALSE(current.okAtStart) << script.name;
        EXPECT_EQ(current.browseTitles.size(), script.browses.size()) << script.name;
        for (const std::wstring& title : current.browseTitles)
            EXPECT_EQ(toUtf8(title), loadResourceString(MessageId::browseForJreFolder));
        EXPECT_EQ(pick.accepted(), script.finalButton == IDOK) << script.name;
        // Centred on the work area of its monitor, there being no owner.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        POINT origin = {current.placement.left, current.placement.top};
        GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        LONG width = current.placement.right - current.placement.left;
        EXPECT_EQ(current.placement.left, (work.left + work.right) / 2 - width / 2) << script.name;
    }
}

} // namespace
