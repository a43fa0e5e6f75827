// Natively the conversions are the portable ones; in the Windows build they call Win32, and the
// portable twins are held to the same cases, with the real Win32 answers as the reference.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "platform/text_detail.h"

namespace qv {
namespace {

// Every scalar value converts both ways below, so the tables hold the ill-formed inputs.
// Letters from g on follow a \x escape so that they cannot extend it.
TEST(Utf8ToUtf16, ReplacesEachMaximalIllFormedSubpart) {
  const std::pair<std::string_view, std::u16string_view> cases[] = {
      {"x\x80\xBFy", u"x\uFFFD\uFFFDy"},     // stray continuations
      {"\xC3x", u"\uFFFDx"},                 // cut short by ASCII
      {"\xF0\x9F\xE2\x9C\x93", u"\uFFFD✓"},  // cut short by a lead
      {"x\xF0\x9F\x98", u"x\uFFFD"},         // cut short by the end
      // Overlong at each length.
      {"\xC1\xBF\xE0\x9F\xBF\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD"},                  // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},        // above U+10FFFF
      {"\xF5\x80\xF8\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // F5 to FF lead nothing
  };
  for (const auto& [utf8, utf16] : cases) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << ::testing::PrintToString(utf8);
    EXPECT_EQ(detail::Utf8ToUtf16(utf8), utf16) << ::testing::PrintToString(utf8);
  }
  // Wine's MultiByteToWideChar loses the text after a lead whose sequence would run past the
  // end; the twin must keep it.
  EXPECT_EQ(detail::Utf8ToUtf16("\xF0xy"), u"\uFFFDxy");
}

// Lone high surrogates before a letter, before a space, before a pair and at the end, and a
// lone low one.
TEST(Utf16ToUtf8, WritesUnpairedSurrogatesAsReplacement) {
  const std::u16string_view utf16 = u"\xDBFFz \xDFFF\xD800 \xD83D\xD83D\xDE00 a\xD800";
  const std::string_view utf8 =
      "\xEF\xBF\xBDz \xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xF0\x9F\x98\x80 a\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
  EXPECT_EQ(detail::Utf16ToUtf8(utf16), utf8);
}

// The expected UTF-8 size pins each encoded length, and the way back pins the bits.
TEST(TextConversion, EveryScalarValueSurvivesTheRoundTrip) {
  std::u16string all;
  std::size_t expectedUtf8Size = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp >= 0x10000) all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
    all.push_back(static_cast<char16_t>(cp < 0x10000 ? cp : 0xDC00 + ((cp - 0x10000) & 0x3FF)));
    expectedUtf8Size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  }
  const std::string utf8 = Utf16ToUtf8(all);
  EXPECT_EQ(utf8.size(), expectedUtf8Size);
  EXPECT_TRUE(detail::Utf16ToUtf8(all) == utf8);
  EXPECT_TRUE(Utf8ToUtf16(utf8) == all);
  EXPECT_TRUE(detail::Utf8ToUtf16(utf8) == all);
}

TEST(Numbers, FormatAsPrintfAndScanAsScanf) {
  EXPECT_EQ(FormatInt(INT_MIN) + FormatInt(0) + FormatUInt(UINT_MAX), u"-214748364804294967295");
  constexpr std::int32_t kUntouched = 12345;
  // The workspace tests scan ordinary values; these are the edges scanf sets.
  const std::tuple<std::u16string_view, bool, std::int32_t, std::uint32_t> cases[] = {
      {u" \t\n\v\f\r+42", true, 42, 42},
      {u"-1x", true, -1, UINT_MAX},  // what follows the digits is left
      {u"2147483648", true, INT_MIN, 2147483648u},
      {u"4294967296", true, 0, 0},  // modulo 2^32
      {u"+-1", false, kUntouched, kUntouched},
  };
  for (const auto& [text, found, expectedInt, expectedUInt] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    std::int32_t asInt = kUntouched;
    std::uint32_t asUInt = kUntouched;
    // Braces evaluate in order: the values are read after both scans.
    EXPECT_EQ((std::tuple{ScanInt(text, asInt), ScanUInt(text, asUInt), asInt, asUInt}),
              std::tuple(found, found, expectedInt, expectedUInt));
  }
}

}  // namespace
}  // namespace qv
