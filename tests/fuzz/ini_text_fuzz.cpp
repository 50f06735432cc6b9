// IniText::parse (the built-in settings text) on any text: names, keys and values never span a
// line, keys hold no "=", keys and values carry no blanks at their ends, every header line
// gives one section, and the document written back as INI text parses to the same document
// (unless a written pair line would itself read as a header). A value set afterwards is found.

#include "fuzz_check.h"
#include "settings/settings_source.h"
#include "support/split_string.h"

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool hasBlankEnds(const std::string& text) {
    return !text.empty() && (isAsciiSpace(text.front()) || isAsciiSpace(text.back()));
}

// The header test of the parser, restated: blanks and control bytes around "[...]".
bool looksLikeHeader(const std::string& line) {
    size_t first = 0;
    size_t last = line.size();
    while (first < last && static_cast<unsigned char>(line[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(line[last - 1]) <= 32)
        --last;
    return last - first >= 2 && line[first] == '[' && line[last - 1] == ']';
}

// The document as INI text; false when a pair line would read as a header.
bool writeDocument(const IniText& document, std::string& text) {
    for (const IniText::Section& section : document.sections()) {
        text += "[" + section.name + "]\r\n";
        for (const IniText::Pair& pair : section.pairs) {
            const std::string line = pair.key + "=" + pair.value;
            if (looksLikeHeader(line))
                return false;
            text += line + "\r\n";
        }
    }
    return true;
}

bool sameDocument(const IniText& a, const IniText& b) {
    if (a.sections().size() != b.sections().size())
        return false;
    for (size_t i = 0; i < a.sections().size(); ++i) {
        const IniText::Section& x = a.sections()[i];
        const IniText::Section& y = b.sections()[i];
        if (x.name != y.name || x.pairs.size() != y.pairs.size())
            return false;
        for (size_t j = 0; j < x.pairs.size(); ++j) {
            if (x.pairs[j].key != y.pairs[j].key || x.pairs[j].value != y.pairs[j].value)
                return false;
        }
    }
    return true;
}

size_t headerLines(const std::string& text) {
    std::vector<std::string> lines;
    splitString(text, "\r\n", lines);
    if (!lines.empty() && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        lines[0].erase(0, 3);
    size_t count = 0;
    for (const std::string& line : lines)
        count += looksLikeHeader(line) ? 1 : 0;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    IniText document("[stale]\r\nkey=value");
    document.parse(text);

    FUZZ_CHECK(document.sections().size() == headerLines(text));
    for (const IniText::Section& section : document.sections()) {
        FUZZ_CHECK(section.name.find("\r\n") == std::string::npos);
        for (const IniText::Pair& pair : section.pairs) {
            FUZZ_CHECK(pair.key.find('=') == std::string::npos);
            FUZZ_CHECK(pair.value.find("\r\n") == std::string::npos);
            FUZZ_CHECK(!hasBlankEnds(pair.key) && !hasBlankEnds(pair.value));
        }
    }

    std::string written;
    if (writeDocument(document, written))
        FUZZ_CHECK(sameDocument(document, IniText(written)));

    std::vector<std::string> names;
    document.getSectionNames(names);
    FUZZ_CHECK(names.size() == document.sections().size());
    const std::string section = names.empty() ? std::string("new") : names.back();
    // No parsed key holds "=", so this one is new and its value is the one found.
    const std::string key = "fuzz=key";
    FUZZ_CHECK(document.setValue(section, key, text));
    std::string found;
    document.getValue(section, key, found);
    FUZZ_CHECK(found == text);
    return 0;
}
