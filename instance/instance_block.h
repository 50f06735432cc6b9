#pragma once

// The shared block through which later starts of one executable reach its first start, and
// the names of the objects that belong to it. Plain data here; the platform files map it.
//
// Layout (little-endian): 0 listener thread id, 4 process id, 8 request message id, 12 the
// 1040-byte argument block, 1052 1040 bytes that stay zero. Each argument is its UTF-16 units
// followed by a 0 unit, and the list ends with one more 0 unit. An empty argument would make
// that end ambiguous, so the request carries the argument count beside the block.

#include "support/paths.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace instance_block {

constexpr size_t blockSize = 2092;
constexpr size_t threadIdOffset = 0;
constexpr size_t processIdOffset = 4;
constexpr size_t messageIdOffset = 8;
constexpr size_t argumentOffset = 12;
constexpr size_t argumentBytes = 1040;

} // namespace instance_block

// The arguments of one request: the bytes of the argument block and how many arguments it holds.
struct ArgumentBlock {
    std::array<uint8_t, instance_block::argumentBytes> bytes{};
    uint32_t count = 0;
};

// The header the first start writes at offsets 0, 4 and 8.
struct BlockHeader {
    uint32_t listenerThreadId = 0;
    uint32_t processId = 0;
    uint32_t messageId = 0;
};

// The name of the block (and of the request message) made from the executable's full path:
// every separator becomes "_" (C:\Apps\tool.exe gives C:_Apps_tool.exe). A name longer than
// maxLength keeps its last characters and ends in a hash of the whole path, so that long paths
// that share their ending still get names of their own.
std::string instanceName(const std::string& executablePath, PathStyle style,
                         size_t maxLength = std::string::npos);
// 16 hexadecimal digits of a 64-bit hash of the whole text, the same in every run and build.
std::string pathHash(const std::string& executablePath);

// The block of a later start's arguments. No arguments travel as one empty argument, since
// Java programs may rely on args[0]. Nothing when the list does not fit the 1040 bytes.
std::optional<ArgumentBlock> encodeArguments(const std::vector<std::string>& arguments);
// The arguments of a block as UTF-16 text; nothing when count arguments do not fit the block
// (a request from a process that does not follow the protocol).
std::optional<std::vector<std::u16string>> decodeArguments(const ArgumentBlock& block);

void writeHeader(uint8_t* block, const BlockHeader& header);
BlockHeader readHeader(const uint8_t* block);
// The argument area of a mapped block, zero-filled first.
void writeArguments(uint8_t* block, const ArgumentBlock& arguments);
// A copy of the argument area of a mapped block with the count the request named.
ArgumentBlock readArguments(const uint8_t* block, uint32_t count);
