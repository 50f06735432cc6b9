#include "ui/exception_dialog.h"

#include <cstdio>

ExceptionChoice runExceptionDialog(const std::string& reportText) {
    // Nobody can answer: the report is kept on standard error and the application stops.
    std::fwrite(reportText.data(), 1, reportText.size(), stderr);
    if (!reportText.empty() && reportText.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
    return ExceptionChoice::stop;
}
