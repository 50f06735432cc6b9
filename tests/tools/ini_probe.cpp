// Reads an INI file through SettingsFile and prints what it sees, so that a test can compare
// the Windows profile functions (under Wine) with the POSIX reader on the same files.
//
//   ini_probe <query file>
//
// Each query line is a command and its arguments, text given as hex bytes of UTF-8 ("-" for
// an empty text); each answers with one line, text again as hex:
//   file <path>                   -> "file"; the following commands act on that file
//   get <section> <key>           -> the value
//   names                         -> the section names, separated by blanks
//   set <section> <key> <value>   -> 1 or 0
//   header                        -> the error code and the four bytes read (AA where none)
//   delete                        -> 1 or 0

#include "settings/settings_source.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string toHex(const std::string& text) {
    if (text.empty())
        return "-";
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string fromHex(const std::string& hex) {
    std::string text;
    if (hex == "-")
        return text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return text;
}

std::string answer(SettingsFile& file, const std::vector<std::string>& words) {
    const std::string& command = words[0];
    auto text = [&](size_t i) { return i < words.size() ? fromHex(words[i]) : std::string(); };
    if (command == "file") {
        file = SettingsFile(text(1));
        return "file";
    }
    if (command == "get") {
        std::string value = "unchanged";
        file.getValue(text(1), text(2), value);
        return toHex(value);
    }
    if (command == "names") {
        std::vector<std::string> names{"stale"};
        file.getSectionNames(names);
        std::string line;
        for (const std::string& name : names)
            line += (line.empty() ? "" : " ") + toHex(name);
        return line;
    }
    if (command == "set")
        return file.setValue(text(1), text(2), text(3)) ? "1" : "0";
    if (command == "header") {
        uint32_t value = 0xAAAAAAAA;
        uint32_t error = file.readHeader(value);
        char line[32];
        std::snprintf(line, sizeof line, "%u %08x", static_cast<unsigned>(error),
                      static_cast<unsigned>(value));
        return line;
    }
    if (command == "delete")
        return file.deleteFile() ? "1" : "0";
    return "unknown command";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: ini_probe <query file>\n", stderr);
        return 2;
    }
    SettingsFile file("");
    std::ifstream queries(argv[1], std::ios::binary);
    if (!queries) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::string line;
    while (std::getline(queries, line)) {
        std::istringstream words(line);
        std::vector<std::string> parts;
        for (std::string word; words >> word;)
            parts.push_back(word);
        if (!parts.empty())
            std::printf("%s\n", answer(file, parts).c_str());
    }
    return 0;
}
