#include "ui/messages.h"

std::string formatText(const std::string& pattern, std::initializer_list<FormatArgument> args) {
    std::string result;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        char kind = pattern[++i];
        if (kind == 's' || kind == 'd') {
            if (next != args.end())
                result += (next++)->text();
        } else if (kind == '%') {
            result += '%';
        } else {
            result += c;
            result += kind;
        }
    }
    return result;
}

std::string formatResourceString(int id, std::initializer_list<FormatArgument> args) {
    return formatText(loadResourceString(id), args);
}

void reportErrorWithCode(OsHandle owner, const std::string& pattern, const std::string& subject,
                         uint32_t code) {
    reportError(owner, formatText(pattern, {subject, code}));
}

void reportErrorWithReason(OsHandle owner, const std::string& pattern, const std::string& subject,
                           const std::string& reason) {
    reportError(owner, formatText(pattern, {subject, reason}));
}

void reportErrorWithSubject(OsHandle owner, const std::string& pattern,
                            const std::string& subject) {
    reportError(owner, formatText(pattern, {subject}));
}
