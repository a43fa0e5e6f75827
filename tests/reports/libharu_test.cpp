// libharu as each build links it (Debian's natively, the static mingw build for Windows):
// a compressed one-page document must come out as a complete PDF file.
#include <hpdf.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files.h"
#include "platform/text.h"

namespace {

TEST(Libharu, WritesACompressedDocumentWithText) {
  HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
  ASSERT_NE(pdf, nullptr);
  // Compression goes through zlib, the dependency most easily lost in a static link.
  ASSERT_EQ(HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL), HPDF_OK);
  HPDF_Page page = HPDF_AddPage(pdf);
  HPDF_Font font = HPDF_GetFont(pdf, "Helvetica", "WinAnsiEncoding");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(HPDF_Page_SetFontAndSize(page, font, 12), HPDF_OK);
  EXPECT_EQ(HPDF_Page_BeginText(page), HPDF_OK);
  EXPECT_EQ(HPDF_Page_TextOut(page, 50, 700, "Quorvane"), HPDF_OK);
  EXPECT_EQ(HPDF_Page_EndText(page), HPDF_OK);
  EXPECT_GT(HPDF_Page_TextWidth(page, "Quorvane"), 0.0f);

  const std::string path = qv::Utf16ToUtf8(qv::TempFolder()) + "/quorvane-libharu-test.pdf";
  ASSERT_EQ(HPDF_SaveToFile(pdf, path.c_str()), HPDF_OK);
  HPDF_Free(pdf);

  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::remove(path.c_str());
  EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_NE(bytes.find("/FlateDecode"), std::string::npos);
  EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
}

}  // namespace
