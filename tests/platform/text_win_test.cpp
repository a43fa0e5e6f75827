// The portable conversions held against MultiByteToWideChar and WideCharToMultiByte, which
// qv::Utf8ToUtf16 and qv::Utf16ToUtf8 call in this build.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <type_traits>

#include "platform/text.h"
#include "platform/text_detail.h"
#include "tests/platform/wine.h"

namespace qv {
namespace {

// A fixed seed keeps every run identical.
constexpr std::uint32_t kSeed = 20240229;
constexpr int kRandomStrings = 100'000;
constexpr std::size_t kMaxRandomLength = 12;

// The edges of every byte range that decides how a UTF-8 sequence is read.
constexpr unsigned char kEdgeBytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                        0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                        0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};

// The edges of the UTF-16 ranges: encoded lengths and surrogates.
constexpr char16_t kEdgeUnits[] = {0x0000, 0x0041, 0x007F, 0x0080, 0x07FF, 0x0800, 0xD7FF, 0xD800,
                                   0xDB7F, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFF};

template <typename Text>
std::string Hex(const Text& text) {
  std::string out;
  char unit[8];
  for (const auto c : text) {
    std::snprintf(unit, sizeof unit, "%0*X ", int(sizeof c * 2),
                  unsigned(std::make_unsigned_t<decltype(c)>(c)));
    out += unit;
  }
  return out;
}

// qv's conversions are the Win32 ones in this build.
std::u16string Win32(const std::string& utf8) {
  return Utf8ToUtf16(utf8);
}
std::string Win32(const std::u16string& utf16) {
  return Utf16ToUtf8(utf16);
}
std::u16string Portable(const std::string& utf8) {
  return detail::Utf8ToUtf16(utf8);
}
std::string Portable(const std::u16string& utf16) {
  return detail::Utf16ToUtf8(utf16);
}

template <typename Text>
::testing::AssertionResult SameAnswersAsGiven(const Text& input) {
  const auto win32 = Win32(input);
  const auto portable = Portable(input);
  if (win32 == portable) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "input " << Hex(input) << ": Win32 " << Hex(win32) << ", portable " << Hex(portable);
}

::testing::AssertionResult SameAnswers(const std::u16string& input) {
  return SameAnswersAsGiven(input);
}

// Wine drops everything after a lead byte whose sequence would run past the end of the input,
// where the portable conversion keeps it. Three more ASCII bytes give every lead room, so the
// two are held to the same answer on all the rest; on Windows they must agree as given too.
::testing::AssertionResult SameAnswers(const std::string& input) {
  if (!test::RunningUnderWine()) {
    ::testing::AssertionResult asGiven = SameAnswersAsGiven(input);
    if (!asGiven) return asGiven;
  }
  return SameAnswersAsGiven(input + "AAA");
}

TEST(Utf8ToUtf16Win32, AgreesOnEveryOneAndTwoByteInput) {
  for (int first = 0; first < 256; ++first) {
    ASSERT_TRUE(SameAnswers(std::string(1, char(first))));
    for (int second = 0; second < 256; ++second) {
      ASSERT_TRUE(SameAnswers(std::string{char(first), char(second)}));
    }
  }
}

TEST(Utf8ToUtf16Win32, AgreesOnLongerSequencesOfEdgeBytes) {
  for (int lead = 0xE0; lead <= 0xF4; ++lead) {
    for (int second = 0; second < 256; ++second) {
      for (const unsigned char third : kEdgeBytes) {
        ASSERT_TRUE(SameAnswers(std::string{char(lead), char(second), char(third)}));
        for (const unsigned char fourth : kEdgeBytes) {
          if (lead < 0xF0) continue;
          ASSERT_TRUE(
              SameAnswers(std::string{char(lead), char(second), char(third), char(fourth)}));
        }
      }
    }
  }
}

TEST(Utf8ToUtf16Win32, AgreesOnPseudoRandomStrings) {
  std::mt19937 random(kSeed);
  for (int i = 0; i < kRandomStrings; ++i) {
    std::string input(1 + random() % kMaxRandomLength, '\0');
    for (char& c : input) {
      // Half edge bytes, so that nearly valid sequences come up often.
      c = char(random() % 2 ? kEdgeBytes[random() % std::size(kEdgeBytes)] : random() % 256);
    }
    ASSERT_TRUE(SameAnswers(input));
  }
}

TEST(Utf16ToUtf8Win32, AgreesOnEverySingleUnitAndEdgePairs) {
  for (int unit = 0; unit < 0x10000; ++unit) {
    ASSERT_TRUE(SameAnswers(std::u16string(1, char16_t(unit))));
  }
  for (const char16_t first : kEdgeUnits) {
    for (const char16_t second : kEdgeUnits) {
      for (const char16_t third : kEdgeUnits) {
        ASSERT_TRUE(SameAnswers(std::u16string{first, second}));
        ASSERT_TRUE(SameAnswers(std::u16string{first, second, third}));
      }
    }
  }
}

TEST(Utf16ToUtf8Win32, AgreesOnPseudoRandomStrings) {
  std::mt19937 random(kSeed);
  for (int i = 0; i < kRandomStrings; ++i) {
    std::u16string input(1 + random() % kMaxRandomLength, u'\0');
    for (char16_t& unit : input) {
      // Mostly surrogates, where pairing decides the answer.
      unit = char16_t(random() % 4 ? 0xD800 + random() % 0x800 : random() % 0x10000);
    }
    ASSERT_TRUE(SameAnswers(input));
  }
}

}  // namespace
}  // namespace qv
