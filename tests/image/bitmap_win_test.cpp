// Images as the toolbar gets them: DIB sections read back byte by byte. Loading the files
// beside the program is the list window tests' part.
#include "image/bitmap_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The section's bytes as stored; empty unless it is a 32-bit section of the given size, the
// positive height meaning bottom-up.
Bytes SectionBytes(HBITMAP bitmap, LONG width, LONG height) {
  DIBSECTION s{};
  if (::GetObjectW(bitmap, sizeof s, &s) != sizeof s || s.dsBmih.biBitCount != 32 ||
      s.dsBmih.biWidth != width || s.dsBmih.biHeight != height) {
    return {};
  }
  const auto* bits = static_cast<const std::uint8_t*>(s.dsBm.bmBits);
  return {bits, bits + s.dsBm.bmWidthBytes * s.dsBm.bmHeight};
}

PngImage Image(std::uint32_t width, std::uint32_t height, std::uint8_t bpp, Bytes samples) {
  PngImage image{width, height, bpp, {}};
  image.rows.resize(std::size_t{height} * image.RowStride());
  for (std::uint32_t y = 0; y < height; ++y) {
    std::copy_n(samples.begin() + y * width * bpp, width * bpp,
                image.rows.begin() + y * image.RowStride() + 1);
  }
  return image;
}

TEST(PngToBitmap, PremultipliedBgraWithTheFirstRowOnTop) {
  // Memory starts with the image's last row. 128 x 128 / 255 = 64.25, and 200 x 1 / 255
  // rounds down to 0.
  HBITMAP rgba = PngToBitmap(Image(2, 2, 4,
                                   {255, 128, 0, 128, 10, 20, 30, 255,  // top row
                                    0, 0, 0, 0, 200, 100, 50, 1}));
  EXPECT_EQ(SectionBytes(rgba, 2, 2),
            (Bytes{0, 0, 0, 0, 0, 0, 0, 1, 0, 64, 128, 128, 30, 20, 10, 255}));
  HBITMAP rgb = PngToBitmap(Image(2, 1, 3, {1, 2, 3, 250, 251, 252}));
  EXPECT_EQ(SectionBytes(rgb, 2, 1), (Bytes{3, 2, 1, 255, 252, 251, 250, 255}));
  ::DeleteObject(rgba);
  ::DeleteObject(rgb);

  PngImage shortRows = Image(2, 2, 4, Bytes(16, 9));
  shortRows.rows.pop_back();
  for (const PngImage& odd : {Image(1, 1, 2, {1, 2}), Image(0, 0, 4, {}), shortRows}) {
    EXPECT_EQ(PngToBitmap(odd), nullptr) << odd.width << " x " << odd.height;
  }
}

}  // namespace
}  // namespace qv
