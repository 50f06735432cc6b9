#include "ui/exception_dialog.h"

#include "ui/exception_window.h"
#include "ui/message_table.h"
#include "ui/window_process.h"

#include <cstdio>
#include <cstdlib>

namespace {

void writeReport(const std::string& reportText) {
    std::fwrite(reportText.data(), 1, reportText.size(), stderr);
    if (!reportText.empty() && reportText.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

ExceptionChoice runExceptionDialog(const std::string& reportText) {
    if (windowsAvailable()) {
        const MessageLanguage& language = nearestMessageLanguage(
            messageLocaleName([](const char* name) { return std::getenv(name); }));
        WindowMessage answer = runModalWindow(exceptionWindowRequest(language, reportText));
        if (!isFailedWindowAnswer(answer))
            return answer.field("choice") == "ignore" ? ExceptionChoice::ignore
                                                      : ExceptionChoice::stop;
    }
    // Nobody could answer: the report is kept on standard error and the application stops.
    writeReport(reportText);
    return ExceptionChoice::stop;
}
