#include "tools/art/formats.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace art {
namespace {

// Bytes go in one push_back at a time: GCC 12 at -O3 warns, wrongly, about inserting a short
// initializer list into a vector.
void Put(Bytes& out, std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) out.push_back(b);
}
void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put32BigEndian(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const Bytes& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

class BitWriter {
 public:
  // Values go in least significant bit first.
  void Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) PutBit(value >> i & 1);
  }
  // Huffman codes go in most significant bit first.
  void PutCode(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) PutBit(code >> i & 1);
  }
  Bytes Finish() {
    if (count_ > 0) bytes_.push_back(current_);
    return bytes_;
  }

 private:
  void PutBit(std::uint32_t bit) {
    current_ = static_cast<std::uint8_t>(current_ | bit << count_);
    if (++count_ == 8) {
      bytes_.push_back(current_);
      current_ = 0;
      count_ = 0;
    }
  }
  Bytes bytes_;
  std::uint8_t current_ = 0;
  int count_ = 0;
};

void PutFixedSymbol(BitWriter& out, int symbol) {
  if (symbol < 144) {
    out.PutCode(0x30 + symbol, 8);
  } else if (symbol < 256) {
    out.PutCode(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    out.PutCode(symbol - 256, 7);
  } else {
    out.PutCode(0xC0 + symbol - 280, 8);
  }
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutMatch(BitWriter& out, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  PutFixedSymbol(out, 257 + l);
  out.Put(length - kLengthBase[l], kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  out.PutCode(d, 5);
  out.Put(distance - kDistanceBase[d], kDistanceExtra[d]);
}

Bytes ZlibStream(const Bytes& data) {
  Bytes out{0x78, 0x9C};  // 32 KiB window, default level; the check bits make it divisible by 31
  const Bytes deflated = Deflate(data);
  out.insert(out.end(), deflated.begin(), deflated.end());
  Put32BigEndian(out, Adler32(data));
  return out;
}

void PutChunk(Bytes& png, std::string_view type, const Bytes& data) {
  Put32BigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  Put32BigEndian(png, Crc32(png.data() + start, png.size() - start));
}

std::uint8_t PaethPredictor(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Rows with their filter bytes; each row takes the filter whose output has the smallest sum
// of magnitudes, the usual rule of thumb for what compresses best.
Bytes FilterRows(const Image& image) {
  const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
  Bytes out;
  Bytes zero(stride, 0);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.rgba.data() + y * stride;
    const std::uint8_t* up = y > 0 ? row - stride : zero.data();
    Bytes best;
    long bestCost = -1;
    for (int filter = 0; filter < (y == 0 ? 2 : 5); ++filter) {
      Bytes candidate{static_cast<std::uint8_t>(filter)};
      long cost = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int left = i >= 4 ? row[i - 4] : 0;
        const int upLeft = i >= 4 ? up[i - 4] : 0;
        int predicted = 0;
        switch (filter) {
          case 1: predicted = left; break;
          case 2: predicted = up[i]; break;
          case 3: predicted = (left + up[i]) / 2; break;
          case 4: predicted = PaethPredictor(left, up[i], upLeft); break;
        }
        const auto value = static_cast<std::uint8_t>(row[i] - predicted);
        candidate.push_back(value);
        cost += value < 128 ? value : 256 - value;
      }
      if (bestCost < 0 || cost < bestCost) {
        best = std::move(candidate);
        bestCost = cost;
      }
    }
    out.insert(out.end(), best.begin(), best.end());
  }
  return out;
}

}  // namespace

Bytes Deflate(const Bytes& data) {
  constexpr int kWindow = 32768;
  constexpr int kMaxMatch = 258;
  constexpr int kChainLimit = 256;
  constexpr int kHashSize = 1 << 15;
  std::vector<int> head(kHashSize, -1);
  std::vector<int> previous(data.size(), -1);
  const int size = static_cast<int>(data.size());
  const auto hash = [&](int i) {
    return (data[i] << 10 ^ data[i + 1] << 5 ^ data[i + 2]) & (kHashSize - 1);
  };
  const auto insert = [&](int i) {
    if (i + 3 > size) return;
    const int h = hash(i);
    previous[i] = head[h];
    head[h] = i;
  };

  BitWriter out;
  out.Put(1, 1);  // final block
  out.Put(1, 2);  // fixed codes
  for (int i = 0; i < size;) {
    int bestLength = 0;
    int bestDistance = 0;
    if (i + 3 <= size) {
      int chain = kChainLimit;
      for (int candidate = head[hash(i)]; candidate >= 0 && i - candidate <= kWindow && chain-- > 0;
           candidate = previous[candidate]) {
        int length = 0;
        const int limit = std::min(kMaxMatch, size - i);
        while (length < limit && data[candidate + length] == data[i + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = i - candidate;
        }
      }
    }
    if (bestLength >= 3) {
      PutMatch(out, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      PutFixedSymbol(out, data[i]);
      insert(i);
      ++i;
    }
  }
  PutFixedSymbol(out, 256);
  return out.Finish();
}

Bytes EncodePng(const Image& image) {
  Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  Put32BigEndian(header, static_cast<std::uint32_t>(image.width));
  Put32BigEndian(header, static_cast<std::uint32_t>(image.height));
  Put(header, {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive, progressive
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStream(FilterRows(image)));
  PutChunk(png, "IEND", {});
  return png;
}

namespace {

void PutInfoHeader(Bytes& out, int width, int height, std::uint32_t imageBytes) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, imageBytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette fields
}

// Bottom-up BGRA, premultiplied or not.
void PutPixels(Bytes& out, const Image& image, bool premultiply) {
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p =
          image.rgba.data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
      const int a = premultiply ? p[3] : 255;
      Put(out,
          {static_cast<std::uint8_t>(p[2] * a / 255), static_cast<std::uint8_t>(p[1] * a / 255),
           static_cast<std::uint8_t>(p[0] * a / 255), p[3]});
    }
  }
}

}  // namespace

Bytes EncodeIco(const std::vector<Image>& images) {
  Bytes entries;
  Bytes data;
  const std::size_t directoryBytes = 6 + 16 * images.size();
  for (const Image& image : images) {
    const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
    Bytes bitmap;
    const auto pixelBytes = static_cast<std::uint32_t>(image.width * image.height * 4);
    const auto maskBytes = static_cast<std::uint32_t>(maskStride * image.height);
    // The icon's height counts the colour image and the mask.
    PutInfoHeader(bitmap, image.width, image.height * 2, pixelBytes + maskBytes);
    PutPixels(bitmap, image, false);
    for (int y = image.height - 1; y >= 0; --y) {
      Bytes row(maskStride, 0);
      for (int x = 0; x < image.width; ++x) {
        if (image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4 + 3] == 0) {
          row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | 0x80 >> (x % 8));
        }
      }
      bitmap.insert(bitmap.end(), row.begin(), row.end());
    }

    Put(entries,
        {static_cast<std::uint8_t>(image.width), static_cast<std::uint8_t>(image.height), 0, 0});
    Put16(entries, 1);
    Put16(entries, 32);
    Put32(entries, static_cast<std::uint32_t>(bitmap.size()));
    Put32(entries, static_cast<std::uint32_t>(directoryBytes + data.size()));
    data.insert(data.end(), bitmap.begin(), bitmap.end());
  }
  Bytes ico;
  Put16(ico, 0);
  Put16(ico, 1);  // icon, not cursor
  Put16(ico, static_cast<std::uint32_t>(images.size()));
  ico.insert(ico.end(), entries.begin(), entries.end());
  ico.insert(ico.end(), data.begin(), data.end());
  return ico;
}

Bytes EncodeBmp(const Image& image) {
  const auto pixelBytes = static_cast<std::uint32_t>(image.width * image.height * 4);
  constexpr std::uint32_t kHeaders = 14 + 40;
  Bytes bmp{'B', 'M'};
  Put32(bmp, kHeaders + pixelBytes);
  Put32(bmp, 0);
  Put32(bmp, kHeaders);
  PutInfoHeader(bmp, image.width, image.height, pixelBytes);
  PutPixels(bmp, image, true);
  return bmp;
}

}  // namespace art
