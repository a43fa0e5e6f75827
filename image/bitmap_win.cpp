#include "image/bitmap_win.h"

#include <cstdint>
#include <limits>
#include <memory>

#include "platform/files.h"

namespace qv {
namespace {

std::uint8_t Premultiply(std::uint8_t sample, std::uint8_t alpha) {
  return static_cast<std::uint8_t>(sample * alpha / 255);
}

}  // namespace

HBITMAP PngToBitmap(const PngImage& image) {
  if (image.bytesPerPixel != 3 && image.bytesPerPixel != 4) return nullptr;
  // The header takes signed widths and heights; the rows must be all there to be read.
  constexpr auto kLongMax = static_cast<std::uint32_t>(std::numeric_limits<LONG>::max());
  if (image.width == 0 || image.height == 0 || image.width > kLongMax || image.height > kLongMax) {
    return nullptr;
  }
  if (image.rows.size() / image.RowStride() < image.height) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(image.width);
  info.bmiHeader.biHeight = static_cast<LONG>(image.height);  // positive: bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    return nullptr;
  }

  const std::size_t rowBytes = std::size_t{image.width} * 4;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.Samples(y);
    // Memory starts with the bottom row.
    std::uint8_t* out = static_cast<std::uint8_t*>(bits) + (image.height - 1 - y) * rowBytes;
    for (std::uint32_t x = 0; x < image.width; ++x, in += image.bytesPerPixel, out += 4) {
      const std::uint8_t alpha = image.bytesPerPixel == 4 ? in[3] : 255;
      out[0] = Premultiply(in[2], alpha);
      out[1] = Premultiply(in[1], alpha);
      out[2] = Premultiply(in[0], alpha);
      out[3] = alpha;
    }
  }
  return bitmap;
}

HBITMAP LoadPngBitmap(const std::u16string& path) {
  std::unique_ptr<PngImage> image;
  {
    const FilePtr file = OpenFile(path, FileMode::Read);
    if (!file) return nullptr;
    image = DecodePng(PngReadFile, file.get());
  }  // the file is closed before the conversion
  return image ? PngToBitmap(*image) : nullptr;
}

}  // namespace qv
