// splitPath, longPathForm and createFolderTree on any text, in both path styles: the pieces
// join back to the path (less a trailing separator), only the root holds a separator, the
// long form is stable, and the folder walk asks only for folders on the way to the file and
// removes only a folder it made itself.

#include "fuzz_check.h"
#include "support/paths.h"

#include <set>

namespace {

// Fails some folders, chosen by the path's length, so that every branch of the walk runs.
class ScriptedFolders : public FolderSystem {
  public:
    ScriptedFolders(const std::string& filePath, PathStyle style)
        : filePath_(filePath), separator_(pathSeparator(style)) {}

    bool exists(const std::string& path) override { return path.size() % 11 == 5; }
    uint32_t createFolder(const std::string& path) override {
        FUZZ_CHECK(path.size() < filePath_.size());
        FUZZ_CHECK(filePath_.compare(0, path.size(), path) == 0);
        FUZZ_CHECK(filePath_[path.size()] == separator_);
        const uint32_t code = path.size() % 5 == 1 ? 5 : path.size() % 3 == 2 ? exists_ : 0;
        if (code == 0)
            created_.insert(path);
        return code;
    }
    void removeFolder(const std::string& path) override { FUZZ_CHECK(created_.count(path) == 1); }
    uint32_t alreadyExistsCode() const override { return exists_; }

  private:
    static constexpr uint32_t exists_ = 183;
    std::string filePath_;
    char separator_;
    std::set<std::string> created_;
};

void checkStyle(const std::string& path, PathStyle style) {
    const std::string separator(1, pathSeparator(style));
    const std::vector<std::string> parts = splitPath(path, style);
    FUZZ_CHECK(parts.empty() == path.empty());
    const std::string joined = joinPieces(parts, separator);
    FUZZ_CHECK(joined == path || (joined + separator == path));
    for (size_t i = 1; i < parts.size(); ++i)
        FUZZ_CHECK(parts[i].find(separator) == std::string::npos);

    const std::string longForm = longPathForm(path, style);
    FUZZ_CHECK(endsWith(longForm, path.substr(isUncPath(path, style) ? 2 : 0)));
    FUZZ_CHECK(longPathForm(longForm, style) == longForm);
    if (style == PathStyle::posix)
        FUZZ_CHECK(longForm == path);

    ScriptedFolders folders(path, style);
    createFolderTree(path, folders, style);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzText(data, size);
    checkStyle(path, PathStyle::windows);
    checkStyle(path, PathStyle::posix);
    return 0;
}
