// The DEFLATE inflater and the PNG subset decoder, held against streams and files made
// independently: by zlib for what an encoder writes, by a bit writer for what no encoder would.
// Changed and cut files are the fuzz harnesses' part, run over their corpora in every native build.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "image/inflate.h"
#include "image/png.h"

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Values least significant bit first, as DEFLATE packs them; Huffman codes most significant
// bit first.
struct BitWriter {
  Bytes bytes;
  int used = 8;  // bits taken in the last byte

  BitWriter& Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i, ++used) {
      if (used == 8) bytes.push_back(0), used = 0;
      bytes.back() = static_cast<std::uint8_t>(bytes.back() | (value >> i & 1) << used);
    }
    return *this;
  }
  BitWriter& Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Put(code >> i, 1);
    return *this;
  }
  BitWriter& Block(bool final, int type) { return Put(final, 1).Put(type, 2); }
  BitWriter& Stored(bool final, const Bytes& data) {
    Block(final, 0).used = 8;  // the header starts at the next byte
    Put(static_cast<std::uint32_t>(data.size()), 16).Put(~data.size() & 0xFFFF, 16);
    for (std::uint8_t b : data) Put(b, 8);
    return *this;
  }
  // Symbols of the fixed literal/length code: 0..143 eight bits, 144..255 nine, 256..279 seven
  // and 280..287 eight.
  BitWriter& Fixed(std::initializer_list<int> symbols) {
    constexpr int kFirst[] = {0, 144, 256, 280}, kCode[] = {0x30, 0x190, 0, 0xC0};
    constexpr int kBits[] = {8, 9, 7, 8};
    for (int s : symbols) {
      const int band = (s >= 144) + (s >= 256) + (s >= 280);
      Code(kCode[band] + s - kFirst[band], kBits[band]);
    }
    return *this;
  }
  // A final dynamic block's header: literalCount literal/length code lengths, zero but for
  // those listed, and the distance code lengths, each length sent as a 4-bit code (the
  // code-length code gives 0..15 four bits each and 16..18 none).
  BitWriter& Dynamic(int literalCount, std::initializer_list<std::pair<int, int>> literal,
                     const std::vector<int>& distance) {
    Block(true, 2).Put(literalCount - 257, 5).Put(distance.size() - 1, 5).Put(15, 4);
    for (int i = 0; i < 19; ++i) Put(i < 3 ? 0 : 4, 3);  // the order starts 16, 17, 18
    std::vector<int> lengths(literalCount, 0);
    for (const auto& [symbol, length] : literal) lengths[symbol] = length;
    lengths.insert(lengths.end(), distance.begin(), distance.end());
    for (int length : lengths) Code(length, 4);
    return *this;
  }
};

Bytes Zlib(const Bytes& data, int level = 6) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level);
  out.resize(size);
  return out;
}

// Deterministic pixels of few values, whose matches are short and at every distance and whose
// filter predictions often tie; or runs of them, for long matches.
Bytes Sample(std::size_t size, bool runs = false) {
  Bytes data;
  for (std::uint32_t seed = 1; data.size() < size; seed = seed * 1103515245u + 12345u) {
    data.insert(data.end(), runs ? 1 + (seed >> 16) % 300 : 1, (seed >> 16) % 6 * 41);
  }
  data.resize(size);
  return data;
}

void BigEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = 6,
           std::uint8_t bitDepth = 8, std::uint8_t interlace = 0) {
  Bytes data;
  for (std::uint32_t v : {width, height}) BigEndian32(data, v);
  data.insert(data.end(), {bitDepth, colourType, 0, 0, interlace});
  return data;
}

// The signature and the chunks, each a type and its data, checksums zero (the subset skips them).
Bytes PngFile(const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& [type, data] : chunks) {
    BigEndian32(png, static_cast<std::uint32_t>(data.size()));
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    BigEndian32(png, 0);
  }
  return png;
}

// The rows an encoder writes: each its filter byte and the differences from that filter's
// prediction.
Bytes FilterRows(const Bytes& pixels, std::uint32_t width, int bpp,
                 const std::vector<std::uint8_t>& filters) {
  const std::size_t stride = std::size_t{width} * bpp;
  Bytes out;
  for (std::size_t y = 0; y < filters.size(); ++y) {
    const std::uint8_t* row = pixels.data() + y * stride;
    out.push_back(filters[y]);
    for (std::size_t i = 0; i < stride; ++i) {
      const bool left = i >= static_cast<std::size_t>(bpp);
      const int a = left ? row[i - bpp] : 0, b = y > 0 ? row[i - stride] : 0;
      const int c = y > 0 && left ? row[i - stride - bpp] : 0;
      const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
      const int predicted[] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
      out.push_back(static_cast<std::uint8_t>(row[i] - predicted[filters[y] % 5]));
    }
  }
  return out;
}

using W = BitWriter;

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

// Level 0 writes stored blocks, the others fixed ones for the shortest inputs, else dynamic ones.
TEST(Inflate, DecodesCompress2StreamsAtEachLevel) {
  for (bool runs : {false, true}) {
    for (std::size_t size : {0, 100, 300'000}) {
      const Bytes data = Sample(size, runs);
      for (int level : {0, 1, 6, 9}) {
        const Bytes zlib = Zlib(data, level);
        const Bytes raw(zlib.begin() + 2, zlib.end() - 4);
        EXPECT_TRUE(Inflate(raw, size) ==
                    Outcome(kInflateDone, size, raw.size(), std::string(data.begin(), data.end())))
            << "runs " << runs << ", size " << size << ", level " << level;
      }
    }
  }
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
    std::string output = "";
  } cases[] = {
      // The nine-bit fixed codes (144 to 255) appear in none of zlib's streams above.
      {W().Stored(false, {'a'}).Block(true, 1).Fixed({0xE9, 256}), kInflateDone, "a\xE9"},
      // Single codes are allowed: x 00, end 01, 257 10, 258 11; distance "0".
      {W().Dynamic(259, {{'x', 2}, {256, 2}, {257, 2}, {258, 2}}, {1}).Code(0b00'10'0'01, 7),
       kInflateDone, "xxxx"},
      {W().Block(true, 3), kInflateBadBlockType},
      {W().Block(true, 0).Put(0, 5).Put(3, 16).Put(0xFEFC, 16), kInflateStoredLengthMismatch},
      // 287 literal/length codes, then 31 distance codes
      {W().Block(true, 2).Put(30, 5).Put(0, 9), kInflateTooManyCodes},
      {W().Block(true, 2).Put(0, 5).Put(30, 5).Put(0, 4), kInflateTooManyCodes},
      {CodeLengthCode(1, 0, 0, 0), kInflateBadCodeLengthCode},  // incomplete
      {CodeLengthCode(1, 1, 1, 0), kInflateBadCodeLengthCode},  // over-subscribed
      {CodeLengthCode(1, 0, 0, 1).Code(1, 1), kInflateRepeatWithoutLength},
      // 18 is "1": 138 zeros, twice, where 258 lengths are due.
      {CodeLengthCode(0, 0, 1, 1).Code(1, 1).Put(127, 7).Code(1, 1).Put(127, 7),
       kInflateRepeatTooLong},
      {W().Dynamic(257, {{'a', 2}, {256, 2}}, {1}), kInflateBadLiteralLengthCode},
      {W().Dynamic(257, {{'a', 1}, {256, 1}}, {2, 2}), kInflateBadDistanceCode},
      {W().Block(true, 1).Fixed({'k', 286}), kInflateBadSymbol, "k"},
      // Fixed distance codes 30 and 31 take part in no match.
      {W().Block(true, 1).Fixed({257}).Code(30, 5).Put(0, 10), kInflateBadSymbol},
      {W().Block(true, 1).Fixed({'a', 'b', 257}).Code(2, 5), kInflateDistanceTooFar, "ab"},
  };
  for (const auto& c : cases) {
    const auto [result, written, consumed, out] = Inflate(c.stream.bytes, 1000);
    EXPECT_EQ(std::tuple(result, out), std::tuple(c.result, c.output)) << &c - cases;
  }
}

// Results 1 and 2 leave both lengths as they were given; one byte more of room or of input
// makes the same stream decode, leaving what follows the final block unread.
TEST(Inflate, OutputFullAndInputEndedAtTheExactBoundary) {
  const Bytes pixels = Sample(3000), zlib = Zlib(pixels, 9);
  const std::pair<Bytes, std::string> cases[] = {
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

std::unique_ptr<PngImage> Decode(const Bytes& file, PngError* error = nullptr) {
  PngMemorySource source{file};
  return DecodePng(PngReadMemory, &source, error);
}

// The samples without the filter-type bytes, read from memory and from a file alike; empty
// for no image or when the readers disagree.
Bytes Samples(const Bytes& file) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return {};
  std::fwrite(file.data(), 1, file.size(), f);
  std::rewind(f);
  const auto image = Decode(file), fromFile = DecodePng(PngReadFile, f);
  std::fclose(f);
  if (!image || !fromFile || image->rows != fromFile->rows) return {};
  Bytes samples;
  for (std::uint32_t y = 0; y < image->height; ++y) {
    samples.insert(samples.end(), image->Samples(y), image->Samples(y) + image->RowStride() - 1);
  }
  return samples;
}

// Every filter on later rows, in files whose rows come in two IDAT chunks, each with a zlib
// stream of its own, around an ancillary chunk, with junk after IEND.
TEST(DecodePng, EveryFilterAndChunkLayoutGivesTheEncodedPixels) {
  const std::vector<std::uint8_t> filterSets[] = {
      {0, 1, 2, 3, 4, 4, 3}, {1, 4, 3, 2, 1, 0, 4}, {2, 3, 4, 0, 2, 1, 3}};
  for (const auto& [bpp, width] : {std::pair{3, 1u}, {3, 9u}, {4, 1u}, {4, 9u}}) {
    for (const auto& filters : filterSets) {
      const Bytes pixels = Sample(width * filters.size() * bpp);
      const Bytes rows = FilterRows(pixels, width, bpp, filters);
      const auto half = rows.begin() + rows.size() / 2;
      const Bytes file = PngFile({{"IHDR", Ihdr(width, 7, bpp == 4 ? 6 : 2)},
                                  {"IDAT", Zlib(Bytes(rows.begin(), half))},
                                  {"quVa", {'a', 0, 'b'}},
                                  {"IDAT", Zlib(Bytes(half, rows.end()))},
                                  {"IEND", {}},
                                  {"junk", {1, 2, 3}}});
      EXPECT_TRUE(Samples(file) == pixels) << bpp << " " << width << " " << int{filters[0]};
    }
  }
}

TEST(DecodePng, RefusesEverythingOutsideTheSubset) {
  const Bytes pixels = Sample(4 * 3 * 4), rows = FilterRows(pixels, 4, 4, {0, 1, 2});
  const Bytes stream = Zlib(rows);
  const auto idat = [&](const Bytes& data) {
    return PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", data}, {"IEND", {}}});
  };
  const auto header = [](const Bytes& ihdr, const char* type = "IHDR") {
    return PngFile({{type, ihdr}, {"IEND", {}}});
  };
  ASSERT_NE(Decode(idat(stream)), nullptr);  // the file most refusals change

  using E = PngError;
  const std::pair<Bytes, PngError> refusals[] = {
      {Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, E::NotPng},
      {header(Ihdr(4, 3), "iHDR"), E::BadHeader},
      {header(Ihdr(4, 3, 6, 16)), E::Unsupported},
      {header(Ihdr(4, 3, 6, 8, 1)), E::Unsupported},  // interlaced
      // A row buffer of the limit's size goes on to the next chunk, here without image data; one
      // a byte larger, or larger than any integer (3 x width wraps 32 bits), is refused.
      {header(Ihdr((kMaxPngRowBytes - 1) / 3, 1, 2)), E::MissingImageData},
      {header(Ihdr((kMaxPngRowBytes - 1) / 3 + 1, 1, 2)), E::TooLarge},
      {header(Ihdr(1, kMaxPngRowBytes / 4, 2)), E::MissingImageData},  // rows of 4 bytes
      {header(Ihdr(1, kMaxPngRowBytes / 4 + 1, 2)), E::TooLarge},
      {header(Ihdr(0x55555556, 4, 2)), E::TooLarge},
      // An IDAT of the limit's length is read (a stored block whose lengths disagree), and one
      // a byte longer refused unread.
      {idat(Bytes(kMaxPngIdatLength, 8)), E::BadCompressedData},
      {idat(Bytes(kMaxPngIdatLength + 1, 8)), E::BadIdat},
      {idat(Bytes(1, 8)), E::BadIdat},  // shorter than the zlib framing
      {idat(Bytes(stream.begin(), stream.end() - 1)), E::BadCompressedData},  // checksum cut
      {idat(Zlib(FilterRows(pixels, 4, 4, {3, 1, 1}))), E::BadFilter},  // Average on the first row
      {idat(Zlib(FilterRows(pixels, 4, 4, {0, 5, 0}))), E::BadFilter},
      {idat(Zlib(Bytes(rows.begin(), rows.end() - 1))), E::MissingImageData},
      {PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", stream}}), E::Truncated},
  };
  for (std::size_t i = 0; i < std::size(refusals); ++i) {
    PngError error = E::None;
    EXPECT_EQ(Decode(refusals[i].first, &error), nullptr) << i;
    EXPECT_EQ(error, refusals[i].second) << i;
  }
}

}  // namespace
}  // namespace qv
