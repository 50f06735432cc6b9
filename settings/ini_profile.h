#pragma once

// An INI file's content read and edited by the rules of the Windows profile functions, for the
// POSIX settings file. Reading, as those functions do it:
// - A UTF-8 byte-order mark is dropped; UTF-16 text with its mark is converted to UTF-8; any
//   other content is taken as it is (UTF-8).
// - Lines end at CR, LF or both; blanks (tab, LF, VT, FF, CR, space and ^Z) around a line go;
//   blank lines are ignored. Nothing is a comment: "; x=y" is the key "; x".
// - "[" opens a section header, whose name runs to the last "]" of the line and is trimmed; a
//   "[" line without "]" is a key line. Lines before the first header form a section without
//   a name, which the empty section name addresses; sections with an empty name are not listed.
// - A key line is split at its first "="; a line without one is a key without a value.
// - Lookups trim the names asked for and compare them ignoring ASCII case; only the first
//   section of a name is searched, and its first key of that name answers, even without a
//   value. A value loses one pair of surrounding quotes (' or ", the same at both ends).
// - Names and values end at a NUL character.
// Writing edits the line of the key in place (or adds the key at the end of its section, or a
// new section at the end) and keeps every other line and the encoding as they were.

#include <cstddef>
#include <string>
#include <vector>

class IniProfile {
  public:
    explicit IniProfile(const std::string& content = std::string());

    // The value of section/key; empty when the section, the key or its value is missing.
    std::string value(const std::string& section, const std::string& key) const;
    // Names of the sections with a name, in file order.
    std::vector<std::string> sectionNames() const;
    // Creates or updates the key. Surrounding blanks of the value are not stored. False when
    // a name or the value holds a line break, which the file could not keep.
    bool setValue(const std::string& section, const std::string& key, const std::string& value);
    // The file content, in the encoding it was read in.
    std::string content() const;

  private:
    enum class Encoding { plain, utf8WithMark, utf16le, utf16be };
    struct Line {
        std::string text;
        std::string end; // the line break that followed it, empty for a last line without one
    };
    struct Key {
        std::string name;
        std::string value;
        bool hasValue;
        size_t line;
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
        size_t lastLine; // index of its last non-blank line (header included); npos if none
    };

    void parseLines();
    const Section* findSection(const std::string& name) const;
    static const Key* findKey(const Section& section, const std::string& name);
    void insertLine(size_t index, const std::string& text);
    std::string lineBreak() const;

    Encoding encoding_ = Encoding::plain;
    std::vector<Line> lines_;
    std::vector<Section> sections_; // the first one holds the lines before any header
};
