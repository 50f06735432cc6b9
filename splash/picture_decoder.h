#pragma once

// Decoding of the splash picture in the POSIX window process, with libraries loaded at run time
// (no GTK, no display): PNG with libpng alone, every other format (JPEG, GIF, BMP, ICO and the
// rest) with GdkPixbuf alone, which also takes PNG where libpng cannot be loaded.

#include "splash/splash_image.h"

#include <string>

// The whole file at path; empty when it cannot be read, is empty or is larger than
// maximumSplashPictureSize.
std::string readSplashPictureFile(const std::string& path);

// The picture of a file's bytes; false when they are no picture the decoders know (or the
// decoders are missing), or a picture of more than maximumSplashPixels.
bool decodeSplashPicture(const std::string& bytes, SplashImage& image);
