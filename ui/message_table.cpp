#include "ui/message_table.h"

#include "ui/message_ids.h"

#include <algorithm>

std::string MessageLanguage::text(int id) const {
    if (id < MessageId::first || id > MessageId::last)
        return {};
    size_t index = static_cast<size_t>(id - MessageId::first);
    return index < strings.size() && strings[index] ? strings[index] : "";
}

std::string MessageLanguage::dialogText(int dialogId, const std::string& key) const {
    for (const auto& entry : dialogTexts)
        if (entry.dialogId == dialogId && key == entry.key)
            return entry.text;
    return {};
}

const MessageLanguage* findMessageLanguage(uint16_t languageId) {
    for (const auto& language : messageLanguages())
        if (language.languageId == languageId)
            return &language;
    return nullptr;
}

std::string messageLocaleName(const std::function<const char*(const char*)>& getVariable) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getVariable(name);
        if (value && *value)
            return value;
    }
    return {};
}

namespace {
struct LocaleParts {
    std::string language;  // lower case
    std::string territory; // upper case
    std::string modifier;  // lower case
};

// ASCII only, whatever the process locale (a Turkish locale must not change 'i').
std::string changeCase(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// language[_TERRITORY][.codeset][@modifier]; the codeset plays no part.
LocaleParts splitLocale(const std::string& name) {
    LocaleParts parts;
    size_t at = name.find('@');
    std::string modifier = at == std::string::npos ? "" : name.substr(at + 1);
    std::string head = name.substr(0, std::min(at, name.find('.')));
    size_t underscore = head.find('_');
    parts.language = changeCase(head.substr(0, underscore), false);
    if (underscore != std::string::npos)
        parts.territory = changeCase(head.substr(underscore + 1), true);
    parts.modifier = changeCase(modifier, false);
    return parts;
}

// 0 when the pattern does not fit the locale; higher for a more specific fit.
int matchScore(const LocaleParts& pattern, const LocaleParts& locale) {
    if (pattern.language.empty() || pattern.language != locale.language)
        return 0;
    if (!pattern.territory.empty() && pattern.territory != locale.territory)
        return 0;
    if (!pattern.modifier.empty() && pattern.modifier != locale.modifier)
        return 0;
    return 1 + (pattern.territory.empty() ? 0 : 2) + (pattern.modifier.empty() ? 0 : 4);
}
} // namespace

const MessageLanguage& nearestMessageLanguage(const std::string& localeName) {
    LocaleParts locale = splitLocale(localeName);
    const MessageLanguage* best = findMessageLanguage(englishUnitedStates);
    int bestScore = 0;
    for (const auto& language : messageLanguages()) {
        for (const char* pattern : language.locales) {
            int score = matchScore(splitLocale(pattern), locale);
            if (score > bestScore) {
                bestScore = score;
                best = &language;
            }
        }
    }
    return *best;
}
