#pragma once

// A digest of a jar's content that costs one or two small reads: the jar's central directory,
// found from the end of the file, lists every entry with its name, CRC and sizes, so a jar
// whose classes changed has another directory even when its size and time were kept.

#include <cstdint>
#include <functional>
#include <string>

// Reads length bytes of the file from offset into bytes; false when they cannot all be read.
using ReadFileRange = std::function<bool(uint64_t offset, size_t length, std::string& bytes)>;

// Where the central directory lies, from the file's last bytes (tail, which ends at
// fileSize); false when tail holds no end record that fits the file. A ZIP64 archive needs a
// second read, of its ZIP64 end record, through read.
bool findCentralDirectory(const std::string& tail, uint64_t fileSize, const ReadFileRange& read,
                          uint64_t& offset, uint64_t& size);

// The digest of the jar's central directory; false for a file that is no zip archive or
// whose directory is implausibly large.
bool jarDigest(uint64_t fileSize, const ReadFileRange& read, uint64_t& digest);

// A fast 64-bit hash of bytes, eight at a time: it tells contents apart, it does not guard
// against forgery.
uint64_t contentHash(const std::string& bytes, uint64_t seed = 0);
