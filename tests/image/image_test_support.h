#pragma once
// Independent makers of DEFLATE streams and PNG files: zlib for what an encoder writes, a bit
// writer for what no encoder would.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace qv::test {

using Bytes = std::vector<std::uint8_t>;

// Values least significant bit first, as DEFLATE packs them; Huffman codes most significant
// bit first.
class BitWriter {
 public:
  BitWriter& Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit(value >> i & 1);
    return *this;
  }
  BitWriter& Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit(code >> i & 1);
    return *this;
  }
  BitWriter& Bytes(std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) Put(b, 8);
    return *this;
  }
  BitWriter& Block(bool final, int type) { return Put(final, 1).Put(type, 2); }
  // A stored block's header, after the padding to the byte boundary.
  BitWriter& Stored(bool final, std::uint16_t length) {
    Block(final, 0).Put(0, 5);
    return Put(length, 16).Put(static_cast<std::uint16_t>(~length), 16);
  }
  // A symbol of the fixed literal/length code.
  BitWriter& Fixed(int symbol) {
    if (symbol < 144) return Code(0x30 + symbol, 8);
    if (symbol < 256) return Code(0x190 + symbol - 144, 9);
    if (symbol < 280) return Code(symbol - 256, 7);
    return Code(0xC0 + symbol - 280, 8);
  }
  // A dynamic block's header for the given code lengths, each sent as a 4-bit code: the
  // code-length code gives 0..15 four bits each and 16..18 none.
  BitWriter& Dynamic(const std::vector<int>& literal, const std::vector<int>& distance) {
    Block(true, 2).Put(literal.size() - 257, 5).Put(distance.size() - 1, 5).Put(15, 4);
    for (int i = 0; i < 19; ++i) Put(i < 3 ? 0 : 4, 3);  // the order starts 16, 17, 18
    for (int length : literal) Code(length, 4);
    for (int length : distance) Code(length, 4);
    return *this;
  }
  std::vector<std::uint8_t> Finish() const {
    std::vector<std::uint8_t> bytes = bytes_;
    if (count_ > 0) bytes.push_back(current_);
    return bytes;
  }

 private:
  void Bit(std::uint32_t bit) {
    current_ = static_cast<std::uint8_t>(current_ | bit << count_);
    if (++count_ == 8) {
      bytes_.push_back(current_);
      current_ = 0;
      count_ = 0;
    }
  }
  std::vector<std::uint8_t> bytes_;
  std::uint8_t current_ = 0;
  int count_ = 0;
};

// A zlib stream, or with windowBits -15 raw DEFLATE data, as zlib writes it.
inline Bytes Deflate(const Bytes& data, int level = 6, int strategy = Z_DEFAULT_STRATEGY,
                     int windowBits = 15) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy);
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(z.total_out);
  deflateEnd(&z);
  return done ? out : Bytes{};
}

// A zlib stream of stored blocks, whose length is exact: 6 + data size + 5 per block.
inline Bytes StoredZlib(const Bytes& data, std::size_t blocks) {
  BitWriter w;
  w.Bytes({0x78, 0x01});
  std::size_t done = 0;
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t size = (data.size() - done) / (blocks - b);
    w.Stored(b + 1 == blocks, static_cast<std::uint16_t>(size));
    for (std::size_t i = 0; i < size; ++i) w.Put(data[done++], 8);
  }
  return w.Put(0, 32).Finish();  // the Adler-32 value, which the reader does not check
}

// Deterministic data: 0 words (text-like), 1 noise (nothing to match), 2 runs (image-like);
// for pixels, few values, so that the filters' predictions often tie.
inline Bytes Sample(std::size_t size, int kind, std::uint32_t seed = 12345) {
  static const std::string kWords[] = {"task ", "deadline ", "priority ", "list ", "log\r\n"};
  Bytes data;
  while (data.size() < size) {
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t r = seed >> 16;
    if (kind == 0) data.insert(data.end(), kWords[r % 5].begin(), kWords[r % 5].end());
    if (kind == 1) data.push_back(static_cast<std::uint8_t>(r));
    if (kind == 2) data.insert(data.end(), 1 + r % 300, static_cast<std::uint8_t>(r % 4 * 60));
    if (kind == 3) data.push_back(static_cast<std::uint8_t>(r % 6 * 40));
  }
  data.resize(size);
  return data;
}

struct Chunk {
  std::string type;
  Bytes data;
  bool badChecksum = false;
};

inline void BigEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = 6,
                  std::uint8_t bitDepth = 8, std::uint8_t interlace = 0) {
  Bytes data;
  BigEndian32(data, width);
  BigEndian32(data, height);
  for (std::uint8_t b : {bitDepth, colourType, std::uint8_t{0}, std::uint8_t{0}, interlace}) {
    data.push_back(b);
  }
  return data;
}

inline Bytes PngFile(const std::vector<Chunk>& chunks) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const Chunk& chunk : chunks) {
    BigEndian32(png, static_cast<std::uint32_t>(chunk.data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), chunk.type.begin(), chunk.type.end());
    png.insert(png.end(), chunk.data.begin(), chunk.data.end());
    const auto crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
    BigEndian32(png, static_cast<std::uint32_t>(chunk.badChecksum ? ~crc : crc));
  }
  return png;
}

// The rows an encoder writes: each row its filter byte and the differences from that filter's
// prediction.
inline Bytes FilterRows(const Bytes& pixels, std::uint32_t width, int bpp,
                        const std::vector<std::uint8_t>& filters) {
  const std::size_t stride = std::size_t{width} * bpp;
  Bytes out;
  for (std::size_t y = 0; y < filters.size(); ++y) {
    const std::uint8_t* row = pixels.data() + y * stride;
    out.push_back(filters[y]);
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0;
      const int b = y > 0 ? row[i - stride] : 0;
      const int c = y > 0 && i >= static_cast<std::size_t>(bpp) ? row[i - stride - bpp] : 0;
      const int p = a + b - c;
      const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      const int predicted[] = {0, a, b, (a + b) / 2, paeth};
      out.push_back(static_cast<std::uint8_t>(row[i] - predicted[filters[y] % 5]));
    }
  }
  return out;
}

// IHDR, one IDAT holding the zlib stream of the filtered rows, IEND.
inline Bytes SimplePng(std::uint32_t width, const std::vector<std::uint8_t>& filters, int bpp,
                       const Bytes& pixels) {
  const auto height = static_cast<std::uint32_t>(filters.size());
  return PngFile({{"IHDR", Ihdr(width, height, bpp == 4 ? 6 : 2)},
                  {"IDAT", Deflate(FilterRows(pixels, width, bpp, filters))},
                  {"IEND", {}}});
}

}  // namespace qv::test
