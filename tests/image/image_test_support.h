#pragma once
// Independent makers of DEFLATE streams and PNG files: zlib for what an encoder writes, a bit
// writer for what no encoder would.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qv::test {

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

inline Bytes Zlib(const Bytes& data, int level = 6) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level);
  out.resize(size);
  return out;
}

// Deterministic pixels of few values, whose matches are short and at every distance and whose
// filter predictions often tie; or runs of them, for long matches.
inline Bytes Sample(std::size_t size, bool runs = false) {
  Bytes data;
  for (std::uint32_t seed = 1; data.size() < size; seed = seed * 1103515245u + 12345u) {
    data.insert(data.end(), runs ? 1 + (seed >> 16) % 300 : 1, (seed >> 16) % 6 * 41);
  }
  data.resize(size);
  return data;
}

inline void BigEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = 6,
                  std::uint8_t bitDepth = 8, std::uint8_t interlace = 0) {
  Bytes data;
  BigEndian32(data, width);
  BigEndian32(data, height);
  data.insert(data.end(), {bitDepth, colourType, 0, 0, interlace});
  return data;
}

// The signature and the chunks, each a type and its data, with right or wrong checksums.
inline Bytes PngFile(const std::vector<std::pair<std::string, Bytes>>& chunks,
                     bool wrongChecksums = false) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& [type, data] : chunks) {
    BigEndian32(png, static_cast<std::uint32_t>(data.size()));
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    const auto crc = crc32(0, png.data() + png.size() - 4 - data.size(), 4 + data.size());
    BigEndian32(png, static_cast<std::uint32_t>(wrongChecksums ? ~crc : crc));
  }
  return png;
}

// The rows an encoder writes: each its filter byte and the differences from that filter's
// prediction.
inline Bytes FilterRows(const Bytes& pixels, std::uint32_t width, int bpp,
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

}  // namespace qv::test
