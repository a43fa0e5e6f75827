// Images as the toolbar gets them: DIB sections read back byte by byte, the PNG files beside
// the program, the image list that blends them, and the program's icon and bitmap resources.
#include "image/bitmap_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "resources/resource.h"
#include "tests/image/image_test_support.h"

namespace qv {
namespace {

// The section's bytes as stored; empty unless it is a 32-bit bottom-up section.
std::vector<std::uint8_t> SectionBytes(HBITMAP bitmap, LONG width, LONG height) {
  DIBSECTION s{};
  if (::GetObjectW(bitmap, sizeof s, &s) != sizeof s || s.dsBmih.biBitCount != 32 ||
      s.dsBmih.biWidth != width || s.dsBmih.biHeight != height) {
    return {};
  }
  const auto* bits = static_cast<const std::uint8_t*>(s.dsBm.bmBits);
  return {bits, bits + s.dsBm.bmWidthBytes * s.dsBm.bmHeight};
}

PngImage Image(std::uint32_t width, std::uint32_t height, std::uint8_t bpp,
               std::vector<std::uint8_t> samples) {
  PngImage image{width, height, bpp, {}};
  image.rows.resize(std::size_t{height} * image.RowStride());
  for (std::uint32_t y = 0; y < height; ++y) {
    std::copy_n(samples.begin() + y * width * bpp, width * bpp,
                image.rows.begin() + y * image.RowStride() + 1);
  }
  return image;
}

TEST(PngToBitmap, PremultipliedBgraWithTheFirstRowOnTop) {
  HBITMAP bitmap = PngToBitmap(Image(2, 2, 4,
                                     {255, 128, 0, 128, 10, 20, 30, 255,  // top row
                                      0, 0, 0, 0, 200, 100, 50, 1}));
  ASSERT_NE(bitmap, nullptr);
  // Stored bottom-up: memory starts with the image's last row. 128 x 128 / 255 = 64.25,
  // and 200 x 1 / 255 rounds down to 0.
  EXPECT_EQ(SectionBytes(bitmap, 2, 2),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 1, 0, 64, 128, 128, 30, 20, 10, 255}));
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(128, 64, 0));
  EXPECT_EQ(::GetPixel(dc, 1, 1), RGB(0, 0, 0));
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(bitmap);

  HBITMAP rgb = PngToBitmap(Image(2, 1, 3, {1, 2, 3, 250, 251, 252}));
  EXPECT_EQ(SectionBytes(rgb, 2, 1), (std::vector<std::uint8_t>{3, 2, 1, 255, 252, 251, 250, 255}));
  ::DeleteObject(rgb);

  PngImage shortRows = Image(2, 2, 4, std::vector<std::uint8_t>(16, 9));
  shortRows.rows.pop_back();
  for (const PngImage& odd : {Image(1, 1, 2, {1, 2}), Image(0, 0, 4, {}), shortRows}) {
    EXPECT_EQ(PngToBitmap(odd), nullptr) << odd.width << " x " << odd.height;
  }
}

std::u16string IconFile(const char16_t* name) {
  return ProgramFolder() + u"\\Icons\\" + name;
}

TEST(LoadPngBitmap, LoadsTheImagesBesideTheProgramAndNothingElse) {
  for (const char16_t* name :
       {u"New_task.png", u"view_sort_ascending.png", u"view_sort_descending.png"}) {
    std::vector<std::uint8_t> file;
    ASSERT_EQ(ReadWholeFile(IconFile(name), file), kErrorSuccess);
    PngMemorySource source{file};
    HBITMAP direct = PngToBitmap(*DecodePng(PngReadMemory, &source));
    HBITMAP loaded = LoadPngBitmap(IconFile(name));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(SectionBytes(loaded, 48, 48), SectionBytes(direct, 48, 48));
    EXPECT_FALSE(SectionBytes(loaded, 48, 48).empty());
    ::DeleteObject(loaded);
    ::DeleteObject(direct);
  }
  const std::u16string palette = TempFolder() + u"\\quorvane-palette.png";
  ASSERT_EQ(WriteWholeFile(palette, test::PngFile({{"IHDR", test::Ihdr(1, 1, 3)},
                                                   {"IDAT", test::Deflate({0, 0})},
                                                   {"IEND", {}}})),
            kErrorSuccess);
  EXPECT_EQ(LoadPngBitmap(palette), nullptr);
  DeleteFileW(palette);
  EXPECT_EQ(LoadPngBitmap(IconFile(u"absent.png")), nullptr);
}

// As the list window uses them: a 32-bit image list blends both kinds of image over the
// toolbar's background, clear corners and all.
TEST(LoadPngBitmap, ImageListBlendsPngAndBitmapOverTheBackground) {
  constexpr COLORREF kBackground = RGB(90, 140, 190);
  HIMAGELIST list = ImageList_Create(48, 48, ILC_COLOR32, 0, 1);
  for (HANDLE image : {static_cast<HANDLE>(LoadPngBitmap(IconFile(u"New_task.png"))),
                       ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PDF),
                                    IMAGE_BITMAP, 48, 48, 0)}) {
    ASSERT_NE(image, nullptr);
    EXPECT_GE(ImageList_Add(list, static_cast<HBITMAP>(image), nullptr), 0);
    ::DeleteObject(image);
  }
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP canvas = ::CreateCompatibleBitmap(screen, 48, 48);
  HGDIOBJ old = ::SelectObject(dc, canvas);
  HBRUSH brush = ::CreateSolidBrush(kBackground);
  for (int index = 0; index < 2; ++index) {
    const RECT all{0, 0, 48, 48};
    ::FillRect(dc, &all, brush);
    ASSERT_TRUE(ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL));
    EXPECT_EQ(::GetPixel(dc, 0, 0), kBackground) << index;  // a clear corner
    const COLORREF paper = ::GetPixel(dc, 11, 8);
    EXPECT_TRUE(GetRValue(paper) > 200 && GetGValue(paper) > 200) << index;
  }
  ::DeleteObject(brush);
  ::SelectObject(dc, old);
  ::DeleteObject(canvas);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  ImageList_Destroy(list);
}

// Every icon at every size the program asks for, and the report bitmaps.
TEST(Resources, IconsAndBitmapsLoadAtTheirSizes) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  for (int id : {IDI_MAIN, IDI_APP, IDI_LOG, IDI_CHECK, IDI_CROSS}) {
    for (int size : {16, 24, 32, 48}) {
      HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
      EXPECT_NE(icon, nullptr) << id << " at " << size;
      ::DestroyIcon(static_cast<HICON>(icon));
    }
  }
  for (int id : {IDB_PDF, IDB_HTML, IDB_TEXT}) {
    HANDLE bitmap = ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 48, 48, 0);
    BITMAP info{};
    EXPECT_EQ(::GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info)) << id;
    EXPECT_EQ(info.bmWidth * 100 + info.bmHeight, 4848) << id;
    ::DeleteObject(bitmap);
  }
}

}  // namespace
}  // namespace qv
