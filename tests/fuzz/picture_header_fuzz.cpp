// The size claimed by any bytes taken for a picture's header: no read outside the bytes, and a
// claim that does not change when bytes after the header are added.

#include "fuzz_check.h"
#include "splash/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PictureHeaderSize claimed;
    const bool sized = readPictureHeaderSize(data, size, claimed);
    FUZZ_CHECK(sized || (claimed.width == 0 && claimed.height == 0));
    std::vector<uint8_t> longer(data, data + size);
    longer.resize(size + 64, 0xFF);
    PictureHeaderSize again;
    if (sized && readPictureHeaderSize(longer.data(), longer.size(), again)) {
        // More bytes may only reveal more of a GIF or an icon, never shrink a claim.
        FUZZ_CHECK(again.width >= claimed.width || claimed.himetric != again.himetric);
    }
    const PictureHeaderSize shown = headerPixelSize(claimed, 96, 96);
    FUZZ_CHECK(!shown.himetric);
    return 0;
}
