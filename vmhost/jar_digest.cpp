#include "vmhost/jar_digest.h"

#include <algorithm>
#include <cstring>

namespace {

// The end record: signature, disk numbers, entry counts, directory size and offset, comment
// length; the ZIP64 locator sits right before it.
constexpr size_t endRecordSize = 22;
constexpr size_t zip64LocatorSize = 20;
constexpr size_t zip64EndRecordSize = 56;
constexpr size_t maximumComment = 0xffff;
// Far beyond any real jar's directory (a jar of 100,000 classes has about 8 MB).
constexpr uint64_t maximumDirectory = uint64_t{64} << 20;

uint64_t little(const std::string& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool hasSignature(const std::string& bytes, size_t at, uint32_t signature) {
    return at + 4 <= bytes.size() && little(bytes, at, 4) == signature;
}

// The ZIP64 end record's directory, through the locator before the end record at end.
bool zip64Directory(const std::string& tail, size_t end, uint64_t fileSize,
                    const ReadFileRange& read, uint64_t& offset, uint64_t& size) {
    if (end < zip64LocatorSize || !hasSignature(tail, end - zip64LocatorSize, 0x07064b50))
        return false;
    uint64_t recordOffset = little(tail, end - zip64LocatorSize + 8, 8);
    std::string record;
    if (recordOffset > fileSize || fileSize - recordOffset < zip64EndRecordSize ||
        !read(recordOffset, zip64EndRecordSize, record) || record.size() != zip64EndRecordSize ||
        !hasSignature(record, 0, 0x06064b50))
        return false;
    size = little(record, 40, 8);
    offset = little(record, 48, 8);
    return true;
}

} // namespace

bool findCentralDirectory(const std::string& tail, uint64_t fileSize, const ReadFileRange& read,
                          uint64_t& offset, uint64_t& size) {
    if (tail.size() < endRecordSize || tail.size() > fileSize)
        return false;
    // The last end record whose comment reaches exactly to the end of the file.
    for (size_t at = tail.size() - endRecordSize + 1; at-- > 0;) {
        if (!hasSignature(tail, at, 0x06054b50) ||
            at + endRecordSize + little(tail, at + 20, 2) != tail.size())
            continue;
        size = little(tail, at + 12, 4);
        offset = little(tail, at + 16, 4);
        bool zip64 =
            size == 0xffffffff || offset == 0xffffffff || little(tail, at + 10, 2) == 0xffff;
        if (zip64 && !zip64Directory(tail, at, fileSize, read, offset, size))
            return false;
        return offset <= fileSize && size <= fileSize - offset;
    }
    return false;
}

bool jarDigest(uint64_t fileSize, const ReadFileRange& read, uint64_t& digest) {
    size_t tailSize = static_cast<size_t>(
        std::min<uint64_t>(fileSize, endRecordSize + maximumComment + zip64LocatorSize));
    std::string tail;
    uint64_t offset = 0;
    uint64_t size = 0;
    if (!read(fileSize - tailSize, tailSize, tail) ||
        !findCentralDirectory(tail, fileSize, read, offset, size) || size > maximumDirectory)
        return false;
    std::string directory;
    // Most directories lie within the tail already read.
    if (offset >= fileSize - tailSize)
        directory = tail.substr(static_cast<size_t>(offset - (fileSize - tailSize)),
                                static_cast<size_t>(size));
    else if (!read(offset, static_cast<size_t>(size), directory))
        return false;
    digest = contentHash(directory, size);
    return true;
}

uint64_t contentHash(const std::string& bytes, uint64_t seed) {
    const uint64_t prime = 0x100000001b3u;
    uint64_t value = 0xcbf29ce484222325u ^ seed;
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        value = (value ^ word) * prime;
        value ^= value >> 29;
    }
    for (; i < bytes.size(); ++i)
        value = (value ^ static_cast<unsigned char>(bytes[i])) * prime;
    return value ^ (value >> 32) ^ bytes.size();
}
