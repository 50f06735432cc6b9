#include "splash/picture_decoder.h"

#include "splash/run_time_library.h"
#include "splash/splash_window.h"

#include <cstring>
#include <fstream>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <png.h>

namespace {

#define PIXBUF_FUNCTIONS(F)                                                                        \
    F(g_error_free)                                                                                \
    F(gdk_pixbuf_get_has_alpha)                                                                    \
    F(gdk_pixbuf_get_height)                                                                       \
    F(gdk_pixbuf_get_n_channels)                                                                   \
    F(gdk_pixbuf_get_pixels)                                                                       \
    F(gdk_pixbuf_get_rowstride)                                                                    \
    F(gdk_pixbuf_get_width)                                                                        \
    F(gdk_pixbuf_loader_close)                                                                     \
    F(gdk_pixbuf_loader_get_pixbuf)                                                                \
    F(gdk_pixbuf_loader_new)                                                                       \
    F(gdk_pixbuf_loader_new_with_type)                                                             \
    F(gdk_pixbuf_loader_write)

struct PixbufApi {
    PIXBUF_FUNCTIONS(RUN_TIME_MEMBER)
};

bool loadPixbufApi(PixbufApi& api) {
    void* library = openRunTimeLibrary("libgdk_pixbuf-2.0.so.0");
    return library && PIXBUF_FUNCTIONS(RUN_TIME_RESOLVE) true;
}

// libpng's simplified interface: PNG is the usual splash format, and libpng alone loads and
// decodes it in a third of the time GdkPixbuf takes with GLib and GIO.
#define PNG_FUNCTIONS(F)                                                                           \
    F(png_image_begin_read_from_memory)                                                            \
    F(png_image_finish_read)                                                                       \
    F(png_image_free)

struct PngApi {
    PNG_FUNCTIONS(RUN_TIME_MEMBER)
};

bool loadPngApi(PngApi& api) {
    void* library = openRunTimeLibrary("libpng16.so.16");
    return library && PNG_FUNCTIONS(RUN_TIME_RESOLVE) true;
}

bool decodePng(const PngApi& api, const std::string& bytes, SplashImage& image) {
    png_image png;
    std::memset(&png, 0, sizeof(png));
    png.version = PNG_IMAGE_VERSION;
    if (!api.png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return false;
    if (!isShowableSplashSize(png.width, png.height)) {
        api.png_image_free(&png);
        return false;
    }
    // The bytes in the memory order that makes each pixel a native 0xAARRGGBB.
    png.format = isLittleEndianMachine() ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    image.width = static_cast<int32_t>(png.width);
    image.height = static_cast<int32_t>(png.height);
    image.pixels.assign(static_cast<size_t>(png.width) * png.height, 0);
    // The read frees its own state, whether it succeeds or fails.
    return api.png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) != 0;
}

// A format known by its first bytes goes straight to its decoder, which spares GdkPixbuf's
// detection through GIO (tens of milliseconds). Null when the bytes are no picture.
GdkPixbuf* decode(const PixbufApi& api, const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const char* format = splashPictureFormat(data, bytes.size());
    GError* error = nullptr;
    GdkPixbufLoader* loader =
        format ? api.gdk_pixbuf_loader_new_with_type(format, &error) : api.gdk_pixbuf_loader_new();
    if (!loader) {
        if (error)
            api.g_error_free(error);
        return nullptr;
    }
    bool complete = api.gdk_pixbuf_loader_write(loader, data, bytes.size(), &error);
    // Closing is needed even after a failed write; its own error is then of no interest.
    complete = api.gdk_pixbuf_loader_close(loader, complete ? &error : nullptr) && complete;
    if (error)
        api.g_error_free(error);
    // The loader owns the picture and is kept with it: the window process ends with the window.
    return complete ? api.gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
}

// GdkPixbuf's rows of R, G, B (and A) bytes as 0xAARRGGBB.
void copyPixels(const PixbufApi& api, GdkPixbuf* pixbuf, SplashImage& image) {
    image.width = api.gdk_pixbuf_get_width(pixbuf);
    image.height = api.gdk_pixbuf_get_height(pixbuf);
    const int channels = api.gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = api.gdk_pixbuf_get_has_alpha(pixbuf);
    const size_t stride = static_cast<size_t>(api.gdk_pixbuf_get_rowstride(pixbuf));
    const unsigned char* rows = api.gdk_pixbuf_get_pixels(pixbuf);
    image.pixels.clear();
    image.pixels.reserve(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* p = rows + static_cast<size_t>(y) * stride;
        for (int x = 0; x < image.width; ++x, p += channels) {
            const uint32_t a = alpha ? p[3] : 0xFF;
            image.pixels.push_back(a << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
        }
    }
}

bool decodeWithPixbuf(const std::string& bytes, SplashImage& image) {
    PixbufApi api;
    if (!loadPixbufApi(api))
        return false;
    GdkPixbuf* pixbuf = decode(api, bytes);
    if (!pixbuf ||
        api.gdk_pixbuf_get_n_channels(pixbuf) < (api.gdk_pixbuf_get_has_alpha(pixbuf) ? 4 : 3) ||
        !isShowableSplashSize(api.gdk_pixbuf_get_width(pixbuf), api.gdk_pixbuf_get_height(pixbuf)))
        return false;
    copyPixels(api, pixbuf, image);
    return true;
}

} // namespace

std::string readSplashPictureFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    char buffer[65536];
    while (file && bytes.size() <= maximumSplashPictureSize) {
        file.read(buffer, sizeof(buffer));
        bytes.append(buffer, static_cast<size_t>(file.gcount()));
    }
    return bytes.size() <= maximumSplashPictureSize ? bytes : std::string();
}

bool decodeSplashPicture(const std::string& bytes, SplashImage& image) {
    if (bytes.empty())
        return false;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    PngApi png;
    if (isPngData(data, bytes.size()) && loadPngApi(png))
        return decodePng(png, bytes, image);
    return decodeWithPixbuf(bytes, image);
}
