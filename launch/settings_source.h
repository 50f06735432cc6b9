#pragma once

// Settings sources: an INI file on disk (SettingsFile), an INI document in memory (IniText,
// the parsed built-in settings text), and both layered (LayeredSettings). All text is UTF-8.

#include <cstdint>
#include <string>
#include <vector>

class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    // Reads the first four bytes of the store into value; 0 or the system error code.
    virtual uint32_t readHeader(uint32_t& value) = 0;
    // The key's value; empty (SettingsFile) or unchanged (IniText) when absent.
    virtual void getValue(const std::string& section, const std::string& key,
                          std::string& value) = 0;
    // All section names in store order.
    virtual void getSectionNames(std::vector<std::string>& names) = 0;
    virtual bool setValue(const std::string& section, const std::string& key,
                          const std::string& value) = 0;
    virtual bool deleteFile() = 0;
};

// An INI file read and written with the platform's profile rules: section and key names
// compare without regard to case, the first match wins, blanks and enclosing quotes go.
class SettingsFile : public virtual SettingsSource {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    uint32_t readHeader(uint32_t& value) override;
    void getValue(const std::string& section, const std::string& key,
                  std::string& value) override;
    void getSectionNames(std::vector<std::string>& names) override;
    bool setValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    bool deleteFile() override;

    // The value of section/key, empty when absent.
    std::string value(const std::string& section, const std::string& key);

private:
    std::string path_;
};

// An INI document in memory. Names compare exactly; repeated sections and keys are kept, and
// lookups find the first.
class IniText : public virtual SettingsSource {
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

    // Rebuilds the document from CR LF separated lines (an optional leading U+FEFF is dropped).
    void parse(const std::string& text);
    Section* findSection(const std::string& name);
    Pair* findKey(Section& section, const std::string& key);
    Section* addSection(const std::string& name);
    Pair* addPair(Section& section, const std::string& key, const std::string& value);
    const std::vector<Section>& sections() const { return sections_; }

    uint32_t readHeader(uint32_t& value) override;
    void getValue(const std::string& section, const std::string& key,
                  std::string& value) override;
    void getSectionNames(std::vector<std::string>& names) override;
    bool setValue(const std::string& section, const std::string& key,
                  const std::string& value) override;
    bool deleteFile() override;

private:
    std::vector<Section> sections_;
};

// The launcher settings file over the built-in settings text: a non-empty value in the file
// replaces the built-in one; otherwise the file's "<section>+" value is appended to it.
class LayeredSettings : public SettingsFile, public IniText {
public:
    LayeredSettings(std::string path, const std::string& builtInText);

    uint32_t readHeader(uint32_t& value) override { return SettingsFile::readHeader(value); }
    void getValue(const std::string& section, const std::string& key,
                  std::string& value) override;
    void getSectionNames(std::vector<std::string>& names) override {
        SettingsFile::getSectionNames(names);
    }
    bool setValue(const std::string& section, const std::string& key,
                  const std::string& value) override {
        return SettingsFile::setValue(section, key, value);
    }
    bool deleteFile() override { return SettingsFile::deleteFile(); }

    std::string value(const std::string& section, const std::string& key);
};

// Splits at every separator; empty inner pieces stay, a trailing empty piece does not.
void splitString(const std::string& text, const std::string& separator,
                 std::vector<std::string>& pieces);

// The settings text compiled into this executable (empty when it carries none).
const std::string& builtInSettingsText();
