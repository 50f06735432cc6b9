#pragma once

// Which of the executable's resource languages serves a user's language. The resources exist
// in 27 languages only, while a system may run in any of their regional or script variants
// (Serbian Latin for Serbia, Norwegian Bokmal, Chinese for Hong Kong, German for Austria) or
// in a neutral one; asking the resource loader for the neutral language then falls back to
// English for all of them, so the launcher maps the language itself.

#include <cstdint>
#include <vector>

// The languages the executable carries (Windows language identifiers), in ascending order.
const std::vector<uint16_t>& resourceLanguages();

// The resource language for a Windows language identifier: the same language; else the
// variant that reads the same (script and region tables for Chinese and Serbian); else the
// one resource language of that primary language (English (United States) and Portuguese
// (Brazil) among two). 0 when none serves it (Croatian and Bosnian share Serbian's primary
// language but are not Serbian): the caller then leaves the choice to the resource loader.
uint16_t resourceLanguageFor(uint16_t languageId);
