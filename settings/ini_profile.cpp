#include "settings/ini_profile.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr size_t none = std::string::npos;
const char utf8Mark[] = "\xEF\xBB\xBF";

bool isProfileSpace(char c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A;
}

std::string trimEnd(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && isProfileSpace(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::string trimStart(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && isProfileSpace(text[begin]))
        ++begin;
    return text.substr(begin);
}

std::string trim(const std::string& text) {
    return trimStart(trimEnd(text));
}

// The profile functions see C strings: everything from a NUL on is gone.
std::string upToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::string unquote(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != none;
}

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf16ToUtf8(const std::string& bytes, size_t start, bool bigEndian) {
    std::vector<uint32_t> units;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// Decodes one UTF-8 sequence at pos (advancing it); malformed bytes give U+FFFD.
uint32_t nextCodePoint(const std::string& text, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos++);
    if (lead < 0x80)
        return lead;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || pos + length - 1 > text.size())
        return 0xFFFD;
    uint32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos) & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (byte(pos++) & 0x3F);
    }
    return c;
}

void appendUtf16Unit(std::string& out, uint32_t unit, bool bigEndian) {
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

std::string utf8ToUtf16(const std::string& text, bool bigEndian) {
    std::string out;
    appendUtf16Unit(out, 0xFEFF, bigEndian);
    size_t pos = 0;
    while (pos < text.size()) {
        uint32_t c = nextCodePoint(text, pos);
        if (c >= 0x10000) {
            appendUtf16Unit(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            appendUtf16Unit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        } else {
            appendUtf16Unit(out, c, bigEndian);
        }
    }
    return out;
}

} // namespace

IniProfile::IniProfile(const std::string& content) {
    std::string text;
    if (content.compare(0, 3, utf8Mark) == 0) {
        encoding_ = Encoding::utf8WithMark;
        text = content.substr(3);
    } else if (content.compare(0, 2, "\xFF\xFE") == 0) {
        encoding_ = Encoding::utf16le;
        text = utf16ToUtf8(content, 2, false);
    } else if (content.compare(0, 2, "\xFE\xFF") == 0) {
        encoding_ = Encoding::utf16be;
        text = utf16ToUtf8(content, 2, true);
    } else {
        text = content;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == none) {
            lines_.push_back(Line{text.substr(pos), ""});
            break;
        }
        size_t breakLength =
            (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        lines_.push_back(Line{text.substr(pos, end - pos), text.substr(end, breakLength)});
        pos = end + breakLength;
    }
    parseLines();
}

void IniProfile::parseLines() {
    sections_.assign(1, Section{"", {}, none});
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string line = trim(lines_[i].text);
        if (line.empty())
            continue;
        size_t close = line[0] == '[' ? line.rfind(']') : none;
        if (close != none) {
            sections_.push_back(Section{trim(upToNul(line.substr(1, close - 1))), {}, i});
            continue;
        }
        size_t equals = line.find('=');
        Key key{line, "", false, i};
        if (equals != none)
            key = Key{trimEnd(line.substr(0, equals)), trimStart(line.substr(equals + 1)), true, i};
        key.name = upToNul(key.name);
        key.value = upToNul(key.value);
        sections_.back().keys.push_back(key);
        sections_.back().lastLine = i;
    }
}

const IniProfile::Section* IniProfile::findSection(const std::string& name) const {
    std::string wanted = trim(upToNul(name));
    for (const Section& section : sections_) {
        if (equalsIgnoringAsciiCase(section.name, wanted))
            return &section;
    }
    return nullptr;
}

const IniProfile::Key* IniProfile::findKey(const Section& section, const std::string& name) {
    std::string wanted = trim(upToNul(name));
    for (const Key& key : section.keys) {
        if (equalsIgnoringAsciiCase(key.name, wanted))
            return &key;
    }
    return nullptr;
}

std::string IniProfile::value(const std::string& section, const std::string& key) const {
    const Section* found = findSection(section);
    const Key* entry = found ? findKey(*found, key) : nullptr;
    return entry && entry->hasValue ? unquote(entry->value) : std::string();
}

std::vector<std::string> IniProfile::sectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_) {
        if (!section.name.empty())
            names.push_back(section.name);
    }
    return names;
}

bool IniProfile::setValue(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::string sectionName = trim(upToNul(section));
    std::string keyName = trim(upToNul(key));
    std::string text = trim(upToNul(value));
    if (hasLineBreak(sectionName) || hasLineBreak(keyName) || hasLineBreak(text))
        return false;
    const Section* found = findSection(sectionName);
    if (found == nullptr) {
        insertLine(lines_.size(), "[" + sectionName + "]");
        insertLine(lines_.size(), keyName + "=" + text);
    } else if (const Key* entry = findKey(*found, keyName)) {
        // An unchanged value leaves the line as the user wrote it.
        if (entry->hasValue && entry->value == text)
            return true;
        lines_[entry->line].text = entry->name + "=" + text;
    } else {
        insertLine(found->lastLine == none ? 0 : found->lastLine + 1, keyName + "=" + text);
    }
    parseLines();
    return true;
}

void IniProfile::insertLine(size_t index, const std::string& text) {
    if (index > 0 && lines_[index - 1].end.empty())
        lines_[index - 1].end = lineBreak();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), Line{text, lineBreak()});
}

std::string IniProfile::lineBreak() const {
    for (const Line& line : lines_) {
        if (!line.end.empty())
            return line.end;
    }
    return "\n";
}

std::string IniProfile::content() const {
    std::string text;
    for (const Line& line : lines_)
        text += line.text + line.end;
    switch (encoding_) {
    case Encoding::utf8WithMark:
        return utf8Mark + text;
    case Encoding::utf16le:
        return utf8ToUtf16(text, false);
    case Encoding::utf16be:
        return utf8ToUtf16(text, true);
    case Encoding::plain:
        break;
    }
    return text;
}
