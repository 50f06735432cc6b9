#pragma once

// Decoding of the splash picture in the POSIX window process: GdkPixbuf alone, loaded at run
// time (no GTK, no display), with its decoders for PNG, JPEG, GIF, BMP, ICO and the rest.

#include "splash/splash_image.h"

#include <string>

// The picture of the file at path; false when the file cannot be read, is empty, larger than
// maximumSplashPictureSize, or no picture GdkPixbuf can decode (or GdkPixbuf is missing).
bool decodeSplashPicture(const std::string& path, SplashImage& image);
