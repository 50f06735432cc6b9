#include "instance/instance_block.h"

#include "vmhost/java_strings.h"

#include <algorithm>
#include <cstring>

using namespace instance_block;

std::string pathHash(const std::string& text) {
    // FNV-1a, 64 bits: stable across runs and builds, which the name must be.
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        out[static_cast<size_t>(i)] = digits[hash & 0xF];
    return out;
}

namespace {

void putUint32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getUint32(const uint8_t* at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

void putUnit(ArgumentBlock& block, size_t& offset, char16_t unit) {
    block.bytes[offset++] = static_cast<uint8_t>(unit & 0xFF);
    block.bytes[offset++] = static_cast<uint8_t>(unit >> 8);
}

char16_t getUnit(const ArgumentBlock& block, size_t offset) {
    return static_cast<char16_t>(block.bytes[offset] | (block.bytes[offset + 1] << 8));
}

} // namespace

std::string instanceName(const std::string& executablePath, PathStyle style, size_t maxLength) {
    std::string name = executablePath;
    std::replace(name.begin(), name.end(), pathSeparator(style), '_');
    if (name.size() <= maxLength)
        return name;
    std::string hash = pathHash(executablePath);
    size_t kept = maxLength > hash.size() + 1 ? maxLength - hash.size() - 1 : 0;
    return name.substr(name.size() - kept) + "_" + hash.substr(0, std::min(hash.size(), maxLength));
}

std::optional<ArgumentBlock> encodeArguments(const std::vector<std::string>& arguments) {
    std::vector<std::u16string> units;
    for (const std::string& argument : arguments)
        units.push_back(utf8ToUtf16(argument));
    if (units.empty())
        units.emplace_back();
    size_t needed = 2;
    for (const std::u16string& argument : units)
        needed += 2 * argument.size() + 2;
    if (needed > argumentBytes)
        return std::nullopt;

    ArgumentBlock block;
    size_t offset = 0;
    for (const std::u16string& argument : units) {
        for (char16_t unit : argument)
            putUnit(block, offset, unit);
        putUnit(block, offset, 0);
    }
    block.count = static_cast<uint32_t>(units.size());
    return block;
}

std::optional<std::vector<std::u16string>> decodeArguments(const ArgumentBlock& block) {
    std::vector<std::u16string> arguments;
    std::u16string current;
    for (size_t offset = 0; arguments.size() < block.count; offset += 2) {
        if (offset + 2 > argumentBytes)
            return std::nullopt;
        char16_t unit = getUnit(block, offset);
        if (unit != 0) {
            current.push_back(unit);
            continue;
        }
        arguments.push_back(std::move(current));
        current.clear();
    }
    if (arguments.empty())
        return std::nullopt;
    return arguments;
}

void writeHeader(uint8_t* block, const BlockHeader& header) {
    // The thread id last: a later start takes a non-zero id as "the first start is listening".
    putUint32(block + messageIdOffset, header.messageId);
    putUint32(block + processIdOffset, header.processId);
    putUint32(block + threadIdOffset, header.listenerThreadId);
}

BlockHeader readHeader(const uint8_t* block) {
    return {getUint32(block + threadIdOffset), getUint32(block + processIdOffset),
            getUint32(block + messageIdOffset)};
}

void writeArguments(uint8_t* block, const ArgumentBlock& arguments) {
    std::memcpy(block + argumentOffset, arguments.bytes.data(), argumentBytes);
}

ArgumentBlock readArguments(const uint8_t* block, uint32_t count) {
    ArgumentBlock arguments;
    std::memcpy(arguments.bytes.data(), block + argumentOffset, argumentBytes);
    arguments.count = count;
    return arguments;
}
