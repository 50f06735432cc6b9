#include "ui/message_table.h"
#include "ui/resource_language_win32.h"

#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reads the caption the template gave the dialog and ends it before it shows.
INT_PTR CALLBACK readCaption(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG)
        return FALSE;
    wchar_t text[256] = {};
    GetWindowTextW(dialog, text, 256);
    *reinterpret_cast<std::string*>(param) = toUtf8(text);
    EndDialog(dialog, IDOK);
    return TRUE;
}

// Both dialogs come from the template of the language that serves the thread's locale.
TEST(LocalizedDialogBox, TakesTheTemplateOfTheLanguageServingTheThreadLocale) {
    const struct {
        uint16_t locale;
        uint16_t language;
    } cases[] = {{0x0407, 0x0407}, {0x241A, 0x081A}, {0x281A, 0x0C1A}, {0x0414, 0x0814},
                 {0x0C04, 0x0404}, {0x1004, 0x0804}, {0x041A, 0x0409}};
    LCID saved = GetThreadLocale();
    for (const auto& c : cases) {
        ASSERT_TRUE(SetThreadLocale(MAKELCID(c.locale, SORT_DEFAULT))) << c.locale;
        const MessageLanguage* language = findMessageLanguage(c.language);
        ASSERT_NE(language, nullptr);
        for (int dialogId : {201, 231}) {
            std::string caption;
            EXPECT_EQ(localizedDialogBox(dialogId, nullptr, readCaption,
                                         reinterpret_cast<LPARAM>(&caption)),
                      IDOK);
            EXPECT_EQ(caption, language->dialogText(dialogId, "caption"))
                << c.locale << " " << dialogId;
        }
    }
    SetThreadLocale(saved);
    EXPECT_EQ(localizedDialogBox(999, nullptr, readCaption, 0), -1);
}

} // namespace
