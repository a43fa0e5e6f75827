#include "image/inflate.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/image/image_test_support.h"

namespace qv {
namespace {

using test::Bytes;
using W = test::BitWriter;

// The result, the lengths as InflateRaw leaves them, and what was written for results 0 and
// below.
using Outcome = std::tuple<int, std::size_t, std::size_t, std::string>;
Outcome Inflate(const Bytes& in, std::size_t capacity) {
  Bytes out(capacity);
  std::size_t written = capacity, consumed = in.size();
  const int result = InflateRaw(out.data(), written, in.data(), consumed);
  return {result, written, consumed,
          std::string(out.begin(), out.begin() + (result <= 0) * written)};
}

TEST(Inflate, DecodesCompress2StreamsAtEachLevel) {
  int firstBlockTypes = 0;  // a bit for each block type met
  for (bool runs : {false, true}) {
    for (std::size_t size : {0, 100, 300'000}) {
      const Bytes data = test::Sample(size, runs);
      for (int level : {0, 1, 6, 9}) {
        const Bytes zlib = test::Zlib(data, level);
        const Bytes raw(zlib.begin() + 2, zlib.end() - 4);
        EXPECT_TRUE(Inflate(raw, size) ==
                    Outcome(kInflateDone, size, raw.size(), std::string(data.begin(), data.end())))
            << "runs " << runs << ", size " << size << ", level " << level;
        firstBlockTypes |= 1 << (raw[0] >> 1 & 3);
      }
    }
  }
  EXPECT_EQ(firstBlockTypes, 0b111);  // stored, fixed and dynamic
}

// A dynamic block's header up to its code-length code, whose lengths for 16, 17, 18 and 0
// are given.
W CodeLengthCode(int l16, int l17, int l18, int l0) {
  return W().Block(true, 2).Put(0, 14).Put(l16, 3).Put(l17, 3).Put(l18, 3).Put(l0, 3);
}

TEST(Inflate, HandMadeStreamsGiveTheirResults) {
  const struct {
    W stream;
    int result;
    std::string output;
  } cases[] = {
      {W().Stored(false, {'a'}).Block(true, 1).Fixed({'b', 256}), kInflateDone, "ab"},
      // Distance 2 reaches the first byte.
      {W().Block(true, 1).Fixed({'a', 'b', 257}).Code(1, 5).Fixed({256}), kInflateDone, "ababa"},
      // Single codes are allowed: x 00, end 01, 257 10, 258 11; distance "0".
      {W().Dynamic(259, {{'x', 2}, {256, 2}, {257, 2}, {258, 2}}, {1}).Code(0b00'10'0'01, 7),
       kInflateDone, "xxxx"},
      {W().Block(true, 3), kInflateBadBlockType, ""},
      {W().Block(true, 0).Put(0, 5).Put(3, 16).Put(0xFEFC, 16), kInflateStoredLengthMismatch, ""},
      {W().Block(true, 2).Put(30, 5).Put(0, 9), kInflateTooManyCodes,
       ""},  // 287 literal/length codes
      {W().Block(true, 2).Put(0, 5).Put(30, 5).Put(0, 4), kInflateTooManyCodes,
       ""},                                                         // 31 distance codes
      {CodeLengthCode(1, 0, 0, 0), kInflateBadCodeLengthCode, ""},  // incomplete
      {CodeLengthCode(1, 1, 1, 0), kInflateBadCodeLengthCode, ""},  // over-subscribed
      {CodeLengthCode(1, 0, 0, 1).Code(1, 1), kInflateRepeatWithoutLength, ""},
      // 18 is "1": 138 zeros, twice, where 258 lengths are due.
      {CodeLengthCode(0, 0, 1, 1).Code(1, 1).Put(127, 7).Code(1, 1).Put(127, 7),
       kInflateRepeatTooLong, ""},
      {W().Dynamic(257, {{'a', 2}, {256, 2}}, {1}), kInflateBadLiteralLengthCode, ""},
      {W().Dynamic(257, {{'a', 1}, {256, 1}}, {2, 2}), kInflateBadDistanceCode, ""},
      {W().Block(true, 1).Fixed({'k', 286}), kInflateBadSymbol, "k"},
      // Fixed distance codes 30 and 31 take part in no match.
      {W().Block(true, 1).Fixed({257}).Code(30, 5).Put(0, 10), kInflateBadSymbol, ""},
      {W().Block(true, 1).Fixed({'a', 'b', 257}).Code(2, 5), kInflateDistanceTooFar, "ab"},
  };
  for (const auto& c : cases) {
    const auto [result, written, consumed, out] = Inflate(c.stream.bytes, 1000);
    EXPECT_EQ(result, c.result) << &c - cases;
    EXPECT_EQ(out, c.output) << &c - cases;
    EXPECT_TRUE(c.result != kInflateDone || consumed == c.stream.bytes.size()) << &c - cases;
  }
}

// Results 1 and 2 leave both lengths as they were given; one byte more of room or of input
// makes the same stream decode, leaving what follows the final block unread.
TEST(Inflate, OutputFullAndInputEndedAtTheExactBoundary) {
  const Bytes pixels = test::Sample(3000);
  const Bytes zlib = test::Zlib(pixels, 9);
  const struct {
    Bytes stream;
    std::string output;
  } cases[] = {
      {W().Stored(true, {'a', 'b', 'c'}).bytes, "abc"},
      {W().Block(true, 1).Fixed({'a', 'b', 256}).bytes, "ab"},
      {W().Block(true, 1).Fixed({'a', 259}).Code(0, 5).Fixed({256}).bytes, "aaaaaa"},
      {Bytes(zlib.begin() + 2, zlib.end() - 4), std::string(pixels.begin(), pixels.end())},
  };
  for (const auto& [stream, output] : cases) {
    const std::size_t size = output.size(), all = stream.size();
    EXPECT_TRUE(Inflate(stream, size - 1) == Outcome(kInflateOutputFull, size - 1, all, ""));
    for (std::size_t cut = 0; cut < all; ++cut) {
      ASSERT_TRUE(Inflate(Bytes(stream.begin(), stream.begin() + cut), 5000) ==
                  Outcome(kInflateInputEnded, 5000, cut, ""))
          << size << " cut at " << cut;
    }
    Bytes longer = stream;
    longer.push_back(0xFF);
    EXPECT_TRUE(Inflate(longer, size) == Outcome(kInflateDone, size, all, output)) << size;
  }
}

}  // namespace
}  // namespace qv
