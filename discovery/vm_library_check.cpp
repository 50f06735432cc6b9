#include "discovery/vm_library_check.h"

#include "discovery/runtime_host.h"

#include <cstdint>

namespace {

uint32_t littleEndian(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i)
        value = (value << 8) | bytes[i - 1];
    return value;
}

uint32_t bigEndian(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

} // namespace

bool checkVmArchitecture(RuntimeHost& host, const std::string& jvmPath, bool pairProductSet) {
    // Without a pair product there is nothing else to start, so the file is not even read.
    return pairProductSet && host.isX86VmLibrary(jvmPath);
}

bool isX86PeImage(const unsigned char* image, size_t size) {
    constexpr size_t dosHeaderSize = 0x40;
    constexpr size_t ntHeadersOffsetField = 0x3C;
    constexpr uint32_t peSignature = 0x00004550; // "PE\0\0"
    constexpr uint32_t machineI386 = 0x014C;
    if (size < dosHeaderSize || image[0] != 'M' || image[1] != 'Z')
        return false;
    // The offset comes from the file: it must leave room for the signature and the machine.
    uint32_t offset = littleEndian(image + ntHeadersOffsetField, 4);
    if (offset > size || size - offset < 6)
        return false;
    return littleEndian(image + offset, 4) == peSignature &&
           littleEndian(image + offset + 4, 2) == machineI386;
}

bool isX86ElfImage(const unsigned char* image, size_t size) {
    constexpr size_t machineField = 18;
    constexpr unsigned char classElf32 = 1;
    constexpr unsigned char dataLittle = 1, dataBig = 2;
    constexpr uint32_t machine386 = 3;
    if (size < machineField + 2 || image[0] != 0x7F || image[1] != 'E' || image[2] != 'L' ||
        image[3] != 'F' || image[4] != classElf32)
        return false;
    if (image[5] == dataLittle)
        return littleEndian(image + machineField, 2) == machine386;
    if (image[5] == dataBig)
        return bigEndian(image + machineField, 2) == machine386;
    return false;
}
