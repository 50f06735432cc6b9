#include "discovery/vm_library_check.h"

#include "discovery/runtime_host.h"
#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void put(Bytes& image, size_t offset, uint32_t value, size_t count) {
    if (image.size() < offset + count)
        image.resize(offset + count);
    for (size_t i = 0; i < count; ++i)
        image[offset + i] = i < sizeof value ? static_cast<unsigned char>(value >> (8 * i)) : 0;
}

// A DOS header pointing at NT headers with the given signature and machine.
Bytes peImage(uint32_t ntOffset, uint32_t signature, uint16_t machine) {
    Bytes image(0x40, 0);
    image[0] = 'M';
    image[1] = 'Z';
    put(image, 0x3C, ntOffset, 4);
    put(image, ntOffset, signature, 4);
    put(image, ntOffset + 4, machine, 2);
    put(image, ntOffset + 6, 0, 18); // the rest of the file header
    return image;
}

TEST(IsX86PeImage, NeedsMzPeAndTheX86Machine) {
    EXPECT_TRUE(isX86PeImage(peImage(0x80, 0x4550, 0x014C).data(), 0x80 + 24));
    EXPECT_FALSE(isX86PeImage(peImage(0x80, 0x4550, 0x8664).data(), 0x80 + 24));
    EXPECT_FALSE(isX86PeImage(peImage(0x80, 0x4550, 0xAA64).data(), 0x80 + 24));
    EXPECT_FALSE(isX86PeImage(peImage(0x80, 0x454E, 0x014C).data(), 0x80 + 24)); // "NE"
    Bytes noMz = peImage(0x80, 0x4550, 0x014C);
    noMz[1] = 'Y';
    EXPECT_FALSE(isX86PeImage(noMz.data(), noMz.size()));
    EXPECT_FALSE(isX86PeImage(nullptr, 0));
}

TEST(IsX86PeImage, NeverReadsBeyondTheImage) {
    Bytes image = peImage(0x40, 0x4550, 0x014C);
    EXPECT_TRUE(isX86PeImage(image.data(), 0x46));
    EXPECT_FALSE(isX86PeImage(image.data(), 0x45)); // machine cut off
    EXPECT_FALSE(isX86PeImage(image.data(), 0x3F)); // DOS header cut off
    put(image, 0x3C, 0xFFFFFFFE, 4);                // offset far beyond the end
    EXPECT_FALSE(isX86PeImage(image.data(), image.size()));
}

Bytes elfHeader(unsigned char elfClass, unsigned char order, uint16_t machine) {
    Bytes image = {0x7F, 'E', 'L', 'F', elfClass, order, 1};
    image.resize(20, 0);
    if (order == 2) {
        image[18] = static_cast<unsigned char>(machine >> 8);
        image[19] = static_cast<unsigned char>(machine);
    } else {
        put(image, 18, machine, 2);
    }
    return image;
}

TEST(IsX86ElfImage, NeedsA32BitIntel386Image) {
    EXPECT_TRUE(isX86ElfImage(elfHeader(1, 1, 3).data(), 20));
    EXPECT_TRUE(isX86ElfImage(elfHeader(1, 2, 3).data(), 20));
    EXPECT_FALSE(isX86ElfImage(elfHeader(2, 1, 62).data(), 20)); // x86-64
    EXPECT_FALSE(isX86ElfImage(elfHeader(2, 1, 3).data(), 20));  // 64-bit class
    EXPECT_FALSE(isX86ElfImage(elfHeader(1, 1, 40).data(), 20)); // 32-bit ARM
    EXPECT_FALSE(isX86ElfImage(elfHeader(1, 0, 3).data(), 20));  // no byte order
    EXPECT_FALSE(isX86ElfImage(elfHeader(1, 1, 3).data(), 19));
    EXPECT_FALSE(isX86ElfImage(peImage(0x40, 0x4550, 0x014C).data(), 0x46));
}

TEST(CheckVmArchitecture, DecidesOnlyWithAPairProduct) {
    FakeRuntimeHost host;
    host.x86Libraries.insert("C:\\J\\bin\\client\\jvm.dll");
    const std::string x86Library = "C:\\J\\bin\\client\\jvm.dll";
    EXPECT_FALSE(checkVmArchitecture(host, x86Library, false));
    EXPECT_TRUE(host.openedLibraries.empty());

    EXPECT_TRUE(checkVmArchitecture(host, x86Library, true));
    EXPECT_FALSE(checkVmArchitecture(host, "C:\\J64\\bin\\server\\jvm.dll", true));
}

} // namespace
