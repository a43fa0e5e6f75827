#include "image/inflate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/image/image_test_support.h"

namespace qv {
namespace {

using test::BitWriter;
using test::Bytes;

struct Outcome {
  int result;
  std::size_t written;
  std::size_t consumed;
  std::string out;  // what was written, for results 0 and below
};

Outcome Inflate(const Bytes& in, std::size_t capacity) {
  Bytes out(capacity);
  std::size_t written = capacity;
  std::size_t consumed = in.size();
  const int result = InflateRaw(out.data(), written, in.data(), consumed);
  return {result, written, consumed,
          result <= 0 ? std::string(out.begin(), out.begin() + written) : ""};
}

// compress2's streams at levels 0, 1, 6 and 9, and the strategies that force fixed codes,
// Huffman codes only and runs, over text, noise and runs of several sizes.
TEST(Inflate, DecodesWhatZlibWrites) {
  const struct {
    int level;
    int strategy;
    int firstBlockType;  // for text of 1000 bytes or more; -1 when not fixed
  } encoders[] = {{0, Z_DEFAULT_STRATEGY, 0},
                  {1, Z_DEFAULT_STRATEGY, -1},
                  {6, Z_DEFAULT_STRATEGY, 2},
                  {9, Z_DEFAULT_STRATEGY, 2},
                  {9, Z_FIXED, 1},
                  {9, Z_HUFFMAN_ONLY, -1},
                  {9, Z_RLE, -1}};
  for (int kind = 0; kind < 3; ++kind) {
    for (std::size_t size : {0, 1, 1000, 70'000, 300'000}) {
      const Bytes data = test::Sample(size, kind);
      for (const auto& e : encoders) {
        const Bytes zlib = test::Deflate(data, e.level, e.strategy);
        const Bytes deflate(zlib.begin() + 2, zlib.end() - 4);
        const Outcome o = Inflate(deflate, size);
        SCOPED_TRACE(testing::Message() << "kind " << kind << ", size " << size << ", level "
                                        << e.level << ", strategy " << e.strategy);
        EXPECT_EQ(o.result, kInflateDone);
        EXPECT_EQ(o.consumed, deflate.size());
        EXPECT_TRUE(o.out == std::string(data.begin(), data.end()));
        if (kind == 0 && size >= 1000 && e.firstBlockType >= 0) {
          EXPECT_EQ(deflate[0] >> 1 & 3, e.firstBlockType);
        }
      }
    }
  }
}

std::vector<int> Lengths(std::size_t count, std::initializer_list<std::pair<int, int>> set) {
  std::vector<int> lengths(count, 0);
  for (const auto& [symbol, length] : set) lengths[static_cast<std::size_t>(symbol)] = length;
  return lengths;
}

// A dynamic block's header up to its code-length code, whose 4 lengths (for 16, 17, 18, 0)
// are given.
BitWriter CodeLengthCode(int l16, int l17, int l18, int l0) {
  return BitWriter().Block(true, 2).Put(0, 14).Put(l16, 3).Put(l17, 3).Put(l18, 3).Put(l0, 3);
}

TEST(Inflate, HandMadeStreamsGiveTheirResults) {
  const auto a1b1 = Lengths(257, {{'a', 1}, {256, 1}});  // 'a' is "0", end of block "1"
  const struct {
    const char* name;
    Bytes stream;
    int result;
    std::string output;
  } cases[] = {
      {"stored", BitWriter().Stored(true, 3).Bytes({'a', 'b', 'c'}).Finish(), kInflateDone, "abc"},
      {"stored then fixed",
       BitWriter().Stored(false, 1).Bytes({'a'}).Block(true, 1).Fixed('b').Fixed(256).Finish(),
       kInflateDone, "ab"},
      {"fixed literals of 8 and 9 bits",
       BitWriter().Block(true, 1).Fixed(0).Fixed(143).Fixed(144).Fixed(255).Fixed(256).Finish(),
       kInflateDone, std::string("\x00\x8F\x90\xFF", 4)},
      {"overlapping copy",
       BitWriter().Block(true, 1).Fixed('a').Fixed(259).Code(0, 5).Fixed(256).Finish(),
       kInflateDone, "aaaaaa"},
      {"extra bits: length 12, distance 7",
       BitWriter()
           .Block(true, 1)
           .Fixed('1')
           .Fixed('2')
           .Fixed('3')
           .Fixed('4')
           .Fixed('5')
           .Fixed('6')
           .Fixed('7')
           .Fixed(265)
           .Put(1, 1)
           .Code(5, 5)
           .Put(0, 1)
           .Fixed(256)
           .Finish(),
       kInflateDone, "1234567123456712345"},
      {"longest match",
       BitWriter().Block(true, 1).Fixed('z').Fixed(285).Code(0, 5).Fixed(256).Finish(),
       kInflateDone, std::string(259, 'z')},
      {"distance reaching the first byte",
       BitWriter().Block(true, 1).Fixed('a').Fixed('b').Fixed(257).Code(1, 5).Fixed(256).Finish(),
       kInflateDone, "ababa"},
      {"dynamic", BitWriter().Dynamic(a1b1, {0}).Put(0b1000, 4).Finish(), kInflateDone, "aaa"},
      {"dynamic, a lone code of each kind",  // x 00, end 01, 257 10, 258 11; distance "0"
       BitWriter()
           .Dynamic(Lengths(259, {{'x', 2}, {256, 2}, {257, 2}, {258, 2}}), {1})
           .Code(0, 2)
           .Code(2, 2)
           .Code(0, 1)
           .Code(1, 2)
           .Finish(),
       kInflateDone, "xxxx"},

      {"block type 3", BitWriter().Block(true, 3).Finish(), kInflateBadBlockType, ""},
      {"stored length and complement",
       BitWriter().Block(true, 0).Put(0, 5).Bytes({3, 0, 0xFC, 0xFE}).Finish(),
       kInflateStoredLengthMismatch, ""},
      {"287 literal/length codes", BitWriter().Block(true, 2).Put(30, 5).Put(0, 9).Finish(),
       kInflateTooManyCodes, ""},
      {"31 distance codes", BitWriter().Block(true, 2).Put(0, 5).Put(30, 5).Put(0, 4).Finish(),
       kInflateTooManyCodes, ""},
      {"code-length code incomplete", CodeLengthCode(1, 0, 0, 0).Finish(),
       kInflateBadCodeLengthCode, ""},
      {"code-length code over-subscribed", CodeLengthCode(1, 1, 1, 0).Finish(),
       kInflateBadCodeLengthCode, ""},
      {"repeat with no previous length", CodeLengthCode(1, 0, 0, 1).Code(1, 1).Finish(),
       kInflateRepeatWithoutLength, ""},
      {"zeros past the last of 258 lengths",  // 18 is "1": 138 zeros, twice
       CodeLengthCode(0, 0, 1, 1).Code(1, 1).Put(127, 7).Code(1, 1).Put(127, 7).Finish(),
       kInflateRepeatTooLong, ""},
      {"literal/length code over-subscribed",
       BitWriter().Dynamic(std::vector<int>(257, 1), {1}).Finish(), kInflateBadLiteralLengthCode,
       ""},
      {"literal/length code incomplete with two codes",
       BitWriter().Dynamic(Lengths(257, {{'a', 2}, {256, 2}}), {1}).Finish(),
       kInflateBadLiteralLengthCode, ""},
      {"distance code over-subscribed", BitWriter().Dynamic(a1b1, {1, 1, 1}).Finish(),
       kInflateBadDistanceCode, ""},
      {"distance code incomplete with two codes", BitWriter().Dynamic(a1b1, {2, 2}).Finish(),
       kInflateBadDistanceCode, ""},
      {"no code matches",
       BitWriter().Dynamic(Lengths(257, {{256, 1}}), {0}).Put(0x7FFF, 15).Finish(),
       kInflateBadSymbol, ""},
      {"empty code-length code", CodeLengthCode(0, 0, 0, 0).Put(0, 15).Finish(), kInflateBadSymbol,
       ""},
      {"literal/length symbol 286", BitWriter().Block(true, 1).Fixed('k').Fixed(286).Finish(),
       kInflateBadSymbol, "k"},
      {"literal/length symbol 287", BitWriter().Block(true, 1).Fixed(287).Finish(),
       kInflateBadSymbol, ""},
      {"distance code 30", BitWriter().Block(true, 1).Fixed(257).Code(30, 5).Put(0, 10).Finish(),
       kInflateBadSymbol, ""},
      {"distance before the output",
       BitWriter().Block(true, 1).Fixed('a').Fixed('b').Fixed(257).Code(2, 5).Finish(),
       kInflateDistanceTooFar, "ab"},
  };
  for (const auto& c : cases) {
    const Outcome o = Inflate(c.stream, 1000);
    EXPECT_EQ(o.result, c.result) << c.name;
    EXPECT_EQ(o.out, c.output) << c.name;
    if (c.result == kInflateDone) {
      EXPECT_EQ(o.consumed, c.stream.size()) << c.name;
    }
  }
}

// Results 1 and 2 leave both lengths as they were given; one byte more of room or of input
// makes the same stream decode.
TEST(Inflate, OutputFullAndInputEndedAtTheExactBoundary) {
  const Bytes text = test::Sample(3000, 0);
  const Bytes zlib = test::Deflate(text, 9);
  const struct {
    const char* name;
    Bytes stream;
    std::string output;
  } cases[] = {
      {"stored", BitWriter().Stored(true, 3).Bytes({'a', 'b', 'c'}).Finish(), "abc"},
      {"literal", BitWriter().Block(true, 1).Fixed('a').Fixed('b').Fixed(256).Finish(), "ab"},
      {"match", BitWriter().Block(true, 1).Fixed('a').Fixed(259).Code(0, 5).Fixed(256).Finish(),
       "aaaaaa"},
      {"dynamic", Bytes(zlib.begin() + 2, zlib.end() - 4), std::string(text.begin(), text.end())},
  };
  for (const auto& c : cases) {
    const Outcome full = Inflate(c.stream, c.output.size() - 1);
    EXPECT_EQ(full.result, kInflateOutputFull) << c.name;
    EXPECT_EQ(full.written, c.output.size() - 1) << c.name;
    EXPECT_EQ(full.consumed, c.stream.size()) << c.name;
    for (std::size_t cut = 0; cut < c.stream.size(); ++cut) {
      const Outcome ended = Inflate(Bytes(c.stream.begin(), c.stream.begin() + cut), 5000);
      EXPECT_EQ(ended.result, kInflateInputEnded) << c.name << " cut at " << cut;
      EXPECT_EQ(ended.consumed, cut) << c.name;
      EXPECT_EQ(ended.written, 5000u) << c.name;
    }
    Bytes longer = c.stream;
    longer.push_back(0xFF);  // what follows the final block stays unread
    const Outcome whole = Inflate(longer, c.output.size());
    EXPECT_EQ(whole.result, kInflateDone) << c.name;
    EXPECT_EQ(whole.consumed, c.stream.size()) << c.name;
    EXPECT_EQ(whole.out, c.output) << c.name;
  }
}

}  // namespace
}  // namespace qv
