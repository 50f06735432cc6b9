#pragma once

// The texts of every language, generated at build time from resources/texts (the same source
// as launcher.exe's resources). The POSIX launcher looks its messages up here; the Windows
// launcher reads its own resources (ui/resource_language.h) and never uses this table.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct DialogTextEntry {
    int dialogId;    // 201 or 231
    const char* key; // "caption", "ok", ...
    const char* text;
};

struct MessageLanguage {
    uint16_t languageId;              // Windows language identifier (0x0407 German)
    const char* name;                 // "German (Germany)"
    std::vector<const char*> locales; // POSIX locales it serves: "de", "pt_BR", "sr@latin"
    std::vector<const char*> strings; // string-table entries MessageId::first..last
    std::vector<DialogTextEntry> dialogTexts;

    // The entry's text; empty for an identifier without an entry.
    std::string text(int id) const;
    // A dialog's text by key; empty when the dialog has no such text.
    std::string dialogText(int dialogId, const std::string& key) const;
};

// All languages, sorted by language identifier (generated).
const std::vector<MessageLanguage>& messageLanguages();
// Null when the identifier is not one of the languages.
const MessageLanguage* findMessageLanguage(uint16_t languageId);

constexpr uint16_t englishUnitedStates = 0x0409;

// The POSIX locale that chooses the message language: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG, read through getVariable.
std::string messageLocaleName(const std::function<const char*(const char*)>& getVariable);

// The language nearest to a POSIX locale name (language[_TERRITORY][.codeset][@modifier]):
// the most specific of a language's locales that matches (territory and modifier must agree
// where the locale gives them), English (United States) when none does.
const MessageLanguage& nearestMessageLanguage(const std::string& localeName);
