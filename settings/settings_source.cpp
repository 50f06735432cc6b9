#include "settings/settings_source.h"

#include "support/split_string.h"
#include "support/trace.h"

namespace {

const char byteOrderMark[] = "\xEF\xBB\xBF";

// The wide white-space set of the Windows C library, fixed so that both targets trim alike.
bool isWideSpace(uint32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

bool isContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence [begin, end); U+FFFF (not a space) when malformed.
uint32_t decodeSequence(const std::string& text, size_t begin, size_t end) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    size_t length = end - begin;
    unsigned char lead = byte(begin);
    if (length == 1)
        return lead < 0x80 ? lead : 0xFFFF;
    if (isContinuationByte(lead))
        return 0xFFFF;
    uint32_t c = lead & (0x7F >> length);
    for (size_t i = begin + 1; i < end; ++i)
        c = (c << 6) | (byte(i) & 0x3F);
    return c;
}

// End of the UTF-8 sequence that starts at begin (at most four bytes). An ASCII or stray byte
// stands alone, so that a blank before a stray continuation byte is still a blank.
size_t sequenceEnd(const std::string& text, size_t begin) {
    size_t end = begin + 1;
    if (static_cast<unsigned char>(text[begin]) < 0xC0)
        return end;
    while (end < text.size() && end - begin < 4 &&
           isContinuationByte(static_cast<unsigned char>(text[end])))
        ++end;
    return end;
}

// Start of the UTF-8 sequence that ends at end.
size_t sequenceStart(const std::string& text, size_t end) {
    size_t begin = end - 1;
    while (begin > 0 && end - begin < 4 &&
           isContinuationByte(static_cast<unsigned char>(text[begin])))
        --begin;
    // Continuation bytes behind an ASCII byte belong to no sequence: the last one stands alone.
    if (begin + 1 < end && static_cast<unsigned char>(text[begin]) < 0x80)
        return end - 1;
    return begin;
}

std::string trimWideSpace(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end) {
        size_t next = sequenceEnd(text, begin);
        if (next > end || !isWideSpace(decodeSequence(text, begin, next)))
            break;
        begin = next;
    }
    while (end > begin) {
        size_t start = sequenceStart(text, end);
        if (start < begin || !isWideSpace(decodeSequence(text, start, end)))
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

// A header line, ignoring characters 0 to 32 around it, begins with "[" and ends with "]".
bool isSectionHeader(const std::string& line) {
    size_t first = 0;
    size_t last = line.size();
    while (first < last && static_cast<unsigned char>(line[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(line[last - 1]) <= 32)
        --last;
    return last - first >= 2 && line[first] == '[' && line[last - 1] == ']';
}

} // namespace

void IniText::parse(const std::string& text) {
    sections_.clear();
    std::vector<std::string> lines;
    splitString(text, "\r\n", lines);
    if (!lines.empty() && lines[0].compare(0, 3, byteOrderMark) == 0)
        lines[0].erase(0, 3);
    Section* current = nullptr;
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        if (isSectionHeader(line)) {
            size_t open = line.find('[');
            size_t close = line.rfind(']');
            current = addSection(line.substr(open + 1, close - open - 1));
            continue;
        }
        size_t equals = line.find('=');
        if (current == nullptr || equals == std::string::npos)
            continue;
        addPair(*current, trimWideSpace(line.substr(0, equals)),
                trimWideSpace(line.substr(equals + 1)));
    }
}

IniText::Section* IniText::findSection(const std::string& name) {
    for (Section& section : sections_) {
        if (section.name == name)
            return &section;
    }
    return nullptr;
}

IniText::Pair* IniText::findKey(Section& section, const std::string& key) {
    for (Pair& pair : section.pairs) {
        if (pair.key == key)
            return &pair;
    }
    return nullptr;
}

IniText::Section* IniText::addSection(const std::string& name) {
    if (sections_.size() >= sections_.max_size() / 2)
        return nullptr;
    sections_.push_back(Section{name, {}});
    return &sections_.back();
}

IniText::Pair* IniText::addPair(Section& section, const std::string& key,
                                const std::string& value) {
    section.pairs.push_back(Pair{key, value});
    return &section.pairs.back();
}

uint32_t IniText::readHeader(uint32_t& value) {
    value = 0;
    return 1;
}

void IniText::getValue(const std::string& section, const std::string& key, std::string& value) {
    Section* found = findSection(section);
    Pair* pair = found ? findKey(*found, key) : nullptr;
    if (pair)
        value = pair->value;
}

void IniText::getSectionNames(std::vector<std::string>& names) {
    names.clear();
    for (const Section& section : sections_)
        names.push_back(section.name);
}

bool IniText::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
    Section* target = findSection(section);
    if (target == nullptr)
        target = addSection(section);
    if (target == nullptr)
        return false;
    addPair(*target, key, value);
    return true;
}

void LayeredSettings::getValue(const std::string& section, const std::string& key,
                               std::string& value) {
    value.clear();
    IniText::getValue(section, key, value);
    std::string fromFile;
    SettingsFile::getValue(section, key, fromFile);
    if (!fromFile.empty()) {
        value = fromFile;
        traceSetting(section, key, value, "the file");
        return;
    }
    std::string appended;
    SettingsFile::getValue(section + "+", key, appended);
    if (appended.empty()) {
        traceSetting(section, key, value, "built-in text");
        return;
    }
    if (appended[0] != ' ')
        value += ' ';
    value += appended;
    traceSetting(section, key, value, "built-in text and the file's [" + section + "+]");
}

void traceSetting(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& origin) {
    if (isTracing() && !value.empty())
        traceLine("setting [" + section + "] " + key + "=" + value + " (from " + origin + ")");
}
