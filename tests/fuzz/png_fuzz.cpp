// Any bytes as a PNG file: refused or decoded into a whole image, never a read or write out
// of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::PngMemorySource source{{data, size}};
  const auto image = qv::DecodePng(qv::PngReadMemory, &source);
  if (image == nullptr) return 0;
  if (image->bytesPerPixel != 3 && image->bytesPerPixel != 4) std::abort();
  if (image->rows.size() != std::size_t{image->height} * image->RowStride()) std::abort();
  return 0;
}
