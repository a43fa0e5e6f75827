#include "platform/text.h"

#include "tests/platform/wine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {
namespace {

using namespace std::string_view_literals;

struct ConversionCase {
  const char* name;
  std::string_view utf8;
  std::u16string_view utf16;
};

TEST(Utf8ToUtf16, ReplacesEachMaximalIllFormedSubpart) {
  const ConversionCase cases[] = {
      {"empty", "", u""},
      {"embedded nul", "a\0b"sv, u"a\0b"sv},
      {"one to four bytes", "a\xC3\xBC\xE2\x9C\x93\xF0\x9F\x98\x80", u"aü✓😀"},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"just below the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"stray continuation",
       "a\x80"
       "b",
       u"a\uFFFDb"},
      {"two stray continuations", "\x80\xBF", u"\uFFFD\uFFFD"},
      {"truncated two-byte",
       "\xC3"
       "a",
       u"\uFFFDa"},
      {"truncated three-byte",
       "\xE2\x9C"
       "ab",
       u"\uFFFDab"},
      {"truncated four-byte before a lead", "\xF0\x9F\xE2\x9C\x93", u"\uFFFD✓"},
      {"cut off by the end", "a\xF0\x9F\x98", u"a\uFFFD"},
      {"overlong C0 80", "\xC0\x80", u"\uFFFD\uFFFD"},
      {"overlong E0 80 80", "\xE0\x80\x80", u"\uFFFD\uFFFD"},
      {"overlong F0 8F BF BF", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate ED A0 80", "\xED\xA0\x80", u"\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"F5 and above", "\xF5\x80\xF8\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const ConversionCase& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;
  }
}

// Wine's MultiByteToWideChar drops everything after a lead byte whose sequence would run past
// the end of the input ("\xF0ab" becomes one U+FFFD); the text after it must survive.
TEST(Utf8ToUtf16, KeepsTheTextAfterALeadNearTheEnd) {
  if (test::RunningUnderWine()) GTEST_SKIP() << "Wine loses the text after such a lead";
  EXPECT_EQ(Utf8ToUtf16("\xF0"
                        "ab"),
            u"\uFFFDab");
  EXPECT_EQ(Utf8ToUtf16("x\xE2"
                        "y"),
            u"x\uFFFDy");
}

TEST(Utf16ToUtf8, WritesUnpairedSurrogatesAsReplacement) {
  const ConversionCase cases[] = {
      {"empty", "", u""},
      {"embedded nul", "a\0b"sv, u"a\0b"sv},
      {"range edges", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF",
       u"\u007F\u0080\u07FF\u0800\uFFFF"},
      {"supplementary edges", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
      {"lone high at end", "a\xEF\xBF\xBD", u"a\xD800"},
      {"high before a non-surrogate",
       "\xEF\xBF\xBD"
       "a",
       u"\xDBFF"
       "a"},
      {"lone low", "\xEF\xBF\xBD", u"\xDC00"},
      {"low before high", "\xEF\xBF\xBD\xEF\xBF\xBD", u"\xDFFF\xD800"},
      {"high high low", "\xEF\xBF\xBD\xF0\x9F\x98\x80", u"\xD83D\xD83D\xDE00"},
  };
  for (const ConversionCase& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.name;
  }
}

TEST(TextConversion, EveryScalarValueSurvivesTheRoundTrip) {
  std::u16string all;
  std::size_t expectedUtf8Size = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      all.push_back(static_cast<char16_t>(cp));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    expectedUtf8Size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  }
  const std::string utf8 = Utf16ToUtf8(all);
  EXPECT_EQ(utf8.size(), expectedUtf8Size);
  EXPECT_TRUE(Utf8ToUtf16(utf8) == all);
}

TEST(FormatNumbers, MatchesPrintf) {
  EXPECT_EQ(FormatInt(0), u"0");
  EXPECT_EQ(FormatInt(-7), u"-7");
  EXPECT_EQ(FormatInt(1000), u"1000");
  EXPECT_EQ(FormatInt(INT_MAX), u"2147483647");
  EXPECT_EQ(FormatInt(INT_MIN), u"-2147483648");
  EXPECT_EQ(FormatUInt(0), u"0");
  EXPECT_EQ(FormatUInt(UINT_MAX), u"4294967295");
}

constexpr std::int32_t kUntouched = 12345;

struct ScanCase {
  std::u16string_view text;
  bool found;
  std::int32_t asInt;
  std::uint32_t asUInt;
};

TEST(ScanNumbers, ReadsAsScanfDoes) {
  const ScanCase cases[] = {
      {u"42", true, 42, 42},
      {u" \t\n\v\f\r42", true, 42, 42},
      {u"+7", true, 7, 7},
      {u"-1", true, -1, UINT_MAX},
      {u"-2147483648", true, INT_MIN, 2147483648u},
      {u"2147483648", true, INT_MIN, 2147483648u},
      {u"4294967295", true, -1, UINT_MAX},
      {u"4294967296", true, 0, 0},
      {u"12abc", true, 12, 12},
      {u"007", true, 7, 7},
      {u"", false, kUntouched, kUntouched},
      {u"-", false, kUntouched, kUntouched},
      {u"+-1", false, kUntouched, kUntouched},
      {u"- 1", false, kUntouched, kUntouched},
      {u"\u00A01", false, kUntouched, kUntouched},  // only ASCII white space is skipped
      {u"\uFF11", false, kUntouched, kUntouched},   // nor are other digits read
  };
  for (const ScanCase& c : cases) {
    const std::string shown = Utf16ToUtf8(c.text);
    std::int32_t asInt = kUntouched;
    std::uint32_t asUInt = kUntouched;
    EXPECT_EQ(ScanInt(c.text, asInt), c.found) << shown;
    EXPECT_EQ(ScanUInt(c.text, asUInt), c.found) << shown;
    EXPECT_EQ(asInt, c.asInt) << shown;
    EXPECT_EQ(asUInt, c.asUInt) << shown;
  }
}

}  // namespace
}  // namespace qv
