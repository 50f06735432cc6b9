#include "ui/messages.h"

#include "ui/message_table.h"
#include "ui/window_process.h"

#include <cstdio>
#include <cstdlib>

std::string loadResourceString(int id) {
    std::string locale = messageLocaleName([](const char* name) { return std::getenv(name); });
    return nearestMessageLanguage(locale).text(id);
}

void reportError(OsHandle, const std::string& text) {
    std::fputs(text.c_str(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
    if (windowsAvailable()) {
        WindowMessage notice{"message", {}};
        // The title a message box without a caption of its own gets.
        notice.add("title", "Error").add("text", text);
        runModalWindow(notice);
    }
}
