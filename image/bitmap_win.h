#pragma once
// Decoded PNG images as 32-bit bitmaps with premultiplied alpha, the form a 32-bit image list
// blends. Windows only.

#include <windows.h>

#include <string>

#include "image/png.h"

namespace qv {

// A DIB section of the image's size, rows stored bottom-up as the positive height says, each
// pixel B, G, R premultiplied by A, then A (255 for RGB images). Null for an image that is
// empty, inconsistent or too large, or when the system refuses the section.
HBITMAP PngToBitmap(const PngImage& image);

// The PNG file at path, decoded and converted; null when it cannot be opened, decoded or
// converted. The caller owns the bitmap.
HBITMAP LoadPngBitmap(const std::u16string& path);

}  // namespace qv
