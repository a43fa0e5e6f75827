// The committed icons and bitmaps are in the forms the program loads them in.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/png.h"

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadArt(const std::string& name) {
  Bytes bytes;
  if (std::FILE* f = std::fopen((QUORVANE_RESOURCES_DIR "/" + name).c_str(), "rb")) {
    for (int ch; (ch = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(ch));
    std::fclose(f);
  }
  return bytes;
}

std::uint32_t Le(const Bytes& b, std::size_t at, int bytes = 4) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
  return v;
}

TEST(Art, ToolbarImagesAre48PixelRgbaPictures) {
  for (const char* name :
       {"icons/New_task.png", "icons/view_sort_ascending.png", "icons/view_sort_descending.png"}) {
    const Bytes file = ReadArt(name);
    PngMemorySource source{file};
    const auto image = DecodePng(PngReadMemory, &source);
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(image->width * 1000 + image->height * 10 + image->bytesPerPixel, 48'484u) << name;
    int opaque = 0;
    for (std::uint32_t y = 0; y < image->height; ++y) {
      for (std::uint32_t x = 0; x < image->width; ++x)
        opaque += image->Samples(y)[x * 4 + 3] == 255;
    }
    EXPECT_GT(opaque, 48 * 48 / 4) << name;       // a picture,
    EXPECT_LT(opaque, 48 * 48 * 9 / 10) << name;  // not a tile
  }
}

// Each icon has 16, 24, 32 and 48 pixel images of 32 bits whose AND mask is set exactly where
// alpha is 0. The check mark is opaque pure red on clear, since the rows tint only pure red
// and a half-transparent rim drawn onto a button is pure red no longer.
TEST(Art, IconsHaveFourSizesAndTheCheckMarkIsPureRed) {
  for (const char* name :
       {"icons/app.ico", "icons/log.ico", "icons/check.ico", "icons/cross.ico"}) {
    const Bytes ico = ReadArt(name);
    const bool isCheck = std::string(name) == "icons/check.ico";
    constexpr std::uint32_t kSizes[] = {16, 24, 32, 48};
    ASSERT_EQ(Le(ico, 4, 2), 4u) << name;
    for (std::uint32_t i = 0; i < 4; ++i) {
      const std::uint32_t size = ico.at(6 + 16 * i);
      const std::size_t bitmap = Le(ico, 6 + 16 * i + 12);
      EXPECT_EQ(size, kSizes[i]) << name;
      EXPECT_EQ(Le(ico, 6 + 16 * i + 6, 2), 32u) << name;
      EXPECT_EQ(Le(ico, bitmap + 8), 2 * size) << name;  // colour image and mask
      const std::size_t pixels = bitmap + 40;
      const std::size_t mask = pixels + size * size * 4;
      const std::size_t maskStride = (size + 31) / 32 * 4;
      int red = 0;
      for (std::size_t p = 0; p < size * size; ++p) {
        const std::uint8_t* bgra = &ico.at(pixels + p * 4);
        const std::size_t y = p / size, x = p % size;
        const bool masked = (ico.at(mask + y * maskStride + x / 8) >> (7 - x % 8) & 1) != 0;
        ASSERT_EQ(masked, bgra[3] == 0) << name << " " << size << " pixel " << p;
        if (!isCheck || bgra[3] == 0) continue;
        ASSERT_TRUE(bgra[3] == 255 && bgra[2] > 0 && bgra[1] == 0 && bgra[0] == 0) << size;
        ++red;
      }
      EXPECT_TRUE(!isCheck || red > static_cast<int>(size * size / 6)) << size;
    }
  }
}

TEST(Art, ReportBitmapsAre48PixelPremultipliedBgra) {
  for (const char* name : {"bitmaps/pdf.bmp", "bitmaps/html.bmp", "bitmaps/text.bmp"}) {
    const Bytes bmp = ReadArt(name);
    ASSERT_EQ(bmp.size(), 54u + 48 * 48 * 4) << name;
    EXPECT_EQ(Le(bmp, 0, 2), 0x4D42u) << name;  // "BM"
    EXPECT_EQ(Le(bmp, 18), 48u) << name;
    EXPECT_EQ(Le(bmp, 22), 48u) << name;
    EXPECT_EQ(Le(bmp, 28, 2), 32u) << name;
    for (std::size_t i = Le(bmp, 10); i < bmp.size(); i += 4) {
      ASSERT_TRUE(bmp[i] <= bmp[i + 3] && bmp[i + 1] <= bmp[i + 3] && bmp[i + 2] <= bmp[i + 3])
          << name << " byte " << i;
    }
  }
}

}  // namespace
}  // namespace qv
