#pragma once
// The file formats the program reads its art from, written byte for byte the same on every
// run and machine.

#include <cstdint>
#include <vector>

#include "tools/art/raster.h"

namespace art {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit RGBA PNG with exactly one "IDAT" chunk holding one zlib stream, the form the
// program's own reader takes. No row of the first uses the Average or Paeth filter, which
// that reader refuses there.
Bytes EncodePng(const Image& image);

// A raw DEFLATE stream of one final block with the fixed codes (exposed for the tests).
Bytes Deflate(const Bytes& data);

// An icon file with one 32-bit image (straight alpha plus the 1-bit AND mask) per size.
Bytes EncodeIco(const std::vector<Image>& images);

// A 32-bit bottom-up BMP with premultiplied alpha, as a 32-bit image list blends it.
Bytes EncodeBmp(const Image& image);

}  // namespace art
