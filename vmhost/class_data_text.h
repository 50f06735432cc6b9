#pragma once

// Names and small text helpers shared by the class-data cache's sources (not a public
// interface): the suffixes of the files the cache makes and the hashes in their names.

#include <cstddef>
#include <cstdint>
#include <string>

namespace class_data_text {

const char archiveSuffix[] = ".jsa";
const char pendingSuffix[] = ".tmp";
const char classListSuffix[] = ".classes";
const char jobSuffix[] = ".job";
const char jobMarkSuffix[] = ".making";
const char failureSuffix[] = ".failed";
constexpr size_t keyLength = 16;

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

inline bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

inline bool allOf(const std::string& text, const char* characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

const char digits[] = "0123456789";
const char hexDigits[] = "0123456789abcdef";

// Sixteen lowercase digits, written by hand: printf would link a formatter of its own.
inline std::string hex(uint64_t value) {
    std::string text(16, '0');
    for (size_t i = text.size(); i-- > 0; value >>= 4)
        text[i] = hexDigits[value & 0xf];
    return text;
}

// The number of a text of at most 19 digits; 0 for anything else.
inline uint64_t number(const std::string& text) {
    uint64_t value = 0;
    if (text.size() > 19 || !allOf(text, digits))
        return 0;
    for (char c : text)
        value = value * 10 + static_cast<uint64_t>(c - '0');
    return value;
}

// FNV-1a, 64 bits: a stable hash for names, not a safeguard against forgery.
class NameHash {
  public:
    void add(const std::string& text) {
        for (unsigned char c : text) {
            value_ ^= c;
            value_ *= 0x100000001b3u;
        }
        // A separator, so that ("ab", "c") and ("a", "bc") differ.
        value_ ^= 0xff;
        value_ *= 0x100000001b3u;
    }
    void add(uint64_t number) { add(std::to_string(number)); }
    std::string hex() const { return class_data_text::hex(value_); }

  private:
    uint64_t value_ = 0xcbf29ce484222325u;
};

// "2026-12-16 13:05 UTC" for seconds since 1970.
std::string utcText(uint64_t seconds);

} // namespace class_data_text
