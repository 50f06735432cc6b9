#pragma once

// Decoding of the splash picture in the POSIX window process, with libraries loaded at run time
// (no GTK, no display): PNG with libpng alone, every other format (JPEG, GIF, BMP, ICO and the
// rest) with GdkPixbuf alone, which also takes PNG where libpng cannot be loaded.

#include "splash/splash_image.h"

#include <string>

// The picture of the file at path; false when the file cannot be read, is empty, larger than
// maximumSplashPictureSize, no picture the decoders know (or they are missing), or a picture
// of more than maximumSplashPixels.
bool decodeSplashPicture(const std::string& path, SplashImage& image);
