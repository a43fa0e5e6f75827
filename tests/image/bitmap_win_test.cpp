// Images as the toolbar gets them: DIB sections read back byte by byte. Loading the files
// beside the program is the list window tests' part.
#include "image/bitmap_win.h"

#include <gtest/gtest.h>

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

TEST(PngToBitmap, PremultipliedBgraWithTheFirstRowOnTop) {
  // Memory starts with the image's last row; each row here starts with its filter byte.
  // 128 x 128 / 255 = 64.25, and 200 x 1 / 255 rounds down to 0.
  HBITMAP rgba = PngToBitmap(
      PngImage{2, 2, 4, {0, 255, 128, 0, 128, 10, 20, 30, 255, 0, 0, 0, 0, 0, 200, 100, 50, 1}});
  EXPECT_EQ(SectionBytes(rgba, 2, 2),
            (Bytes{0, 0, 0, 0, 0, 0, 0, 1, 0, 64, 128, 128, 30, 20, 10, 255}));
  HBITMAP rgb = PngToBitmap(PngImage{2, 1, 3, {0, 1, 2, 3, 250, 251, 252}});
  EXPECT_EQ(SectionBytes(rgb, 2, 1), (Bytes{3, 2, 1, 255, 252, 251, 250, 255}));
  ::DeleteObject(rgba);
  ::DeleteObject(rgb);
  // Two bytes per pixel, no pixels, and rows cut short.
  for (const PngImage& odd :
       {PngImage{1, 1, 2, {0, 1, 2}}, PngImage{0, 0, 4, {}}, PngImage{2, 2, 4, Bytes(17, 9)}}) {
    EXPECT_EQ(PngToBitmap(odd), nullptr) << odd.width << " x " << odd.height;
  }
}

}  // namespace
}  // namespace qv
