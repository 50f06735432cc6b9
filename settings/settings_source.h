#pragma once

// Settings sources: an INI file on disk (SettingsFile), an INI document in memory (IniText,
// the parsed built-in settings text), and both layered (LayeredSettings). All text is UTF-8.
// The sources keep no state between calls beyond their path or document: every file lookup
// reads the file afresh. None of them shows a message; failures are results.

#include <cstdint>
#include <string>
#include <vector>

class SettingsSource {
  public:
    virtual ~SettingsSource() = default;
    // Reads up to the first four bytes of the store into value (bytes not read keep their
    // value); 0 or the system error code.
    virtual uint32_t readHeader(uint32_t& value) = 0;
    // The key's value; empty (SettingsFile) or unchanged (IniText) when absent.
    virtual void getValue(const std::string& section, const std::string& key,
                          std::string& value) = 0;
    // All section names in store order (repeated names repeat).
    virtual void getSectionNames(std::vector<std::string>& names) = 0;
    virtual bool setValue(const std::string& section, const std::string& key,
                          const std::string& value) = 0;
    virtual bool deleteFile() = 0;
};

// An INI file read and written with the platform's profile rules: section and key names
// compare without regard to ASCII case after blanks are trimmed, only the first section of a
// name is searched and its first matching key wins, values lose surrounding blanks and one pair
// of matching surrounding quotes. Windows uses the profile functions; POSIX uses IniProfile.
class SettingsFile : public SettingsSource {
  public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    uint32_t readHeader(uint32_t& value) override;
    void getValue(const std::string& section, const std::string& key, std::string& value) override;
    void getSectionNames(std::vector<std::string>& names) override;
    // Creates or updates the key (and the file, but not its folder); false when nothing was
    // written.
    bool setValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    bool deleteFile() override;

    // The plain lookup: the value of section/key in this file, empty when absent.
    std::string fileValue(const std::string& section, const std::string& key) {
        std::string value;
        SettingsFile::getValue(section, key, value);
        return value;
    }

  private:
    std::string path_;
};

// An INI document in memory (the built-in settings text). Names compare exactly; repeated
// sections and keys are kept, and lookups find the first.
class IniText : public SettingsSource {
  public:
    struct Pair {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Pair> pairs;
    };

    IniText() = default;
    explicit IniText(const std::string& text) { parse(text); }

    // Rebuilds the document from CR LF separated lines (a leading U+FEFF is dropped). Lines
    // before the first section header and lines without "=" are skipped.
    void parse(const std::string& text);
    Section* findSection(const std::string& name);
    Pair* findKey(Section& section, const std::string& key);
    // Appends without looking for an existing section or key.
    Section* addSection(const std::string& name);
    Pair* addPair(Section& section, const std::string& key, const std::string& value);
    const std::vector<Section>& sections() const { return sections_; }

    // Sets value to 0 and returns 1: a document has no header.
    uint32_t readHeader(uint32_t& value) override;
    void getValue(const std::string& section, const std::string& key, std::string& value) override;
    void getSectionNames(std::vector<std::string>& names) override;
    // Appends a pair; an older pair of the same key stays and keeps being found.
    bool setValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    bool deleteFile() override { return true; }

  private:
    std::vector<Section> sections_;
};

// The launcher settings file over the built-in settings text. getValue is the layered lookup
// on both sides; every other operation is that of the side through which it is reached (the
// file's through SettingsFile, the document's through IniText).
class LayeredSettings : public SettingsFile, public IniText {
  public:
    LayeredSettings(std::string path, const std::string& builtInText)
        : SettingsFile(std::move(path)), IniText(builtInText) {}

    // The built-in value, replaced by a non-empty value of the file; otherwise the file's
    // value in "<section>+" is appended to it after one blank (none when it begins with one).
    void getValue(const std::string& section, const std::string& key, std::string& value) override;

    std::string value(const std::string& section, const std::string& key) {
        std::string result;
        getValue(section, key, result);
        return result;
    }
};

// Writes a non-empty value in effect and where it came from to the diagnostic trace.
void traceSetting(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& origin);

// The settings text compiled into this executable (empty when it carries none). Generated at
// build time from the INI file that the build names (see cmake/built_in_settings.cmake).
const std::string& builtInSettingsText();
