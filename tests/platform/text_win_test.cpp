// The portable conversions held against MultiByteToWideChar and WideCharToMultiByte, which
// qv::Utf8ToUtf16 and qv::Utf16ToUtf8 call in this build.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/text.h"
#include "platform/text_detail.h"
#include "tests/platform/wine.h"

namespace qv {
namespace {

using ::testing::PrintToString;

// The edges of every byte range that decides how a UTF-8 sequence is read.
constexpr unsigned char kEdgeBytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                        0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                        0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};

// The edges of the UTF-16 ranges: encoded lengths and surrogates.
constexpr char16_t kEdgeUnits[] = {0x0000, 0x0041, 0x007F, 0x0080, 0x07FF, 0x0800, 0xD7FF, 0xD800,
                                   0xDB7F, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFF};

template <typename Text, typename Answer>
::testing::AssertionResult Same(const Text& input, const Answer& win32, const Answer& portable) {
  if (win32 == portable) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << PrintToString(input) << ": Win32 " << PrintToString(win32)
                                       << ", portable " << PrintToString(portable);
}

::testing::AssertionResult Agree(const std::u16string& utf16) {
  return Same(utf16, Utf16ToUtf8(utf16), detail::Utf16ToUtf8(utf16));
}

// Wine drops everything after a lead byte whose sequence would run past the end of the input,
// where the portable conversion keeps it, so under Wine three more ASCII bytes give every lead
// room. Windows is held to the inputs as given, which include those that go on in ASCII.
::testing::AssertionResult Agree(const std::string& utf8) {
  static const bool underWine = test::RunningUnderWine();
  const std::string input = underWine ? utf8 + "AAA" : utf8;
  return Same(input, Utf8ToUtf16(input), detail::Utf8ToUtf16(input));
}

// Shorter inputs are covered as the ends of longer ones after ASCII.
TEST(Utf8ToUtf16Win32, AgreesOnEveryTwoByteInputAndLongerEdgeSequences) {
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      ASSERT_TRUE(Agree(std::string{char(first), char(second)}));
      if (first < 0xE0 || first > 0xF4) continue;
      for (const unsigned char third : kEdgeBytes) {
        ASSERT_TRUE(Agree(std::string{char(first), char(second), char(third)}));
        for (const unsigned char fourth : kEdgeBytes) {
          if (first < 0xF0) break;
          ASSERT_TRUE(Agree(std::string{char(first), char(second), char(third), char(fourth)}));
        }
      }
    }
  }
}

// Only a unit and the one after it decide what is written, so triples reach every case.
TEST(Utf16ToUtf8Win32, AgreesOnEverySingleUnitAndEdgeTriples) {
  for (int unit = 0; unit < 0x10000; ++unit) ASSERT_TRUE(Agree(std::u16string(1, char16_t(unit))));
  for (const char16_t a : kEdgeUnits) {
    for (const char16_t b : kEdgeUnits) {
      for (const char16_t c : kEdgeUnits) ASSERT_TRUE(Agree(std::u16string{a, b, c}));
    }
  }
}

// Runs of ill-formed sequences of every kind, which the fixed inputs above are too short for.
TEST(Utf8ToUtf16Win32, AgreesOnPseudoRandomStrings) {
  std::mt19937 random(20240229);  // a fixed seed keeps every run identical
  for (int i = 0; i < 100'000; ++i) {
    std::string utf8(1 + random() % 12, '\0');
    for (char& c : utf8) {
      // Half edge bytes, so that nearly valid sequences come up often.
      c = char(random() % 2 ? kEdgeBytes[random() % std::size(kEdgeBytes)] : random() % 256);
    }
    ASSERT_TRUE(Agree(utf8));
  }
}

}  // namespace
}  // namespace qv
