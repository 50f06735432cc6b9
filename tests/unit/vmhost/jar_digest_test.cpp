#include "vmhost/jar_digest.h"

#include <gtest/gtest.h>

namespace {

std::string little(uint64_t value, size_t width) {
    std::string bytes;
    for (size_t i = 0; i < width; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xff);
    return bytes;
}

std::string endRecord(uint64_t directorySize, uint64_t directoryOffset,
                      const std::string& comment = "") {
    return "PK\5\6" + std::string(4, '\0') + little(1, 2) + little(1, 2) +
           little(directorySize, 4) + little(directoryOffset, 4) + little(comment.size(), 2) +
           comment;
}

// Entry data, the directory, then the end record (ZIP64 records too when asked).
std::string zip(const std::string& data, const std::string& directory,
                const std::string& comment = "", bool zip64 = false) {
    std::string file = data + directory;
    if (!zip64)
        return file + endRecord(directory.size(), data.size(), comment);
    uint64_t record = file.size();
    file += "PK\6\6" + std::string(36, '\0') + little(directory.size(), 8) + little(data.size(), 8);
    file += "PK\6\7" + little(0, 4) + little(record, 8) + little(1, 4);
    return file + endRecord(0xffffffff, 0xffffffff, comment);
}

ReadFileRange readerOf(const std::string& file) {
    return [&file](uint64_t offset, size_t length, std::string& bytes) {
        if (offset > file.size() || length > file.size() - offset)
            return false;
        bytes = file.substr(offset, length);
        return true;
    };
}

bool digestOf(const std::string& file, uint64_t& digest) {
    return jarDigest(file.size(), readerOf(file), digest);
}

TEST(JarDigest, TheCentralDirectoryIsFoundFromTheEnd) {
    std::string directory = "PK\1\2 entries";
    struct Case {
        const char* name;
        std::string file;
    };
    const Case cases[] = {
        {"plain", zip("local data", directory)},
        {"with a comment holding an end signature", zip("local data", directory, "xPK\5\6y")},
        {"ZIP64", zip("local data", directory, "", true)},
        {"data far before the tail", zip(std::string(200000, 'd'), directory)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint64_t offset = 0;
        uint64_t size = 0;
        const std::string& file = c.file;
        std::string tail = file.substr(file.size() > 70000 ? file.size() - 70000 : 0);
        ASSERT_TRUE(findCentralDirectory(tail, file.size(), readerOf(file), offset, size));
        EXPECT_EQ(file.substr(offset, size), directory);
    }
}

TEST(JarDigest, FilesThatAreNoZipArchiveHaveNoDigest) {
    std::string good = zip("data", "PK\1\2 dir");
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text", std::string(5000, 'x')},
        {"cut inside the end record", good.substr(0, good.size() - 3)},
        {"comment longer than the file", good.substr(0, good.size() - 2) + little(9, 2)},
        {"directory beyond the end", "data" + endRecord(100, 4)},
        {"ZIP64 locator pointing nowhere", std::string("PK\6\7") + little(0, 4) + little(99999, 8) +
                                               little(1, 4) + endRecord(0xffffffff, 0xffffffff)},
    };
    for (const auto& c : cases) {
        uint64_t digest = 0;
        EXPECT_FALSE(digestOf(c.second, digest)) << c.first;
    }
}

} // namespace
