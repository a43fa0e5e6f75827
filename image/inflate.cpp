#include "image/inflate.h"

#include <algorithm>
#include <array>

// Modelled on the small reference decoder that reads a code one bit at a time against the
// number of codes of each length: little code and no tables to build per block beyond the
// counts and the symbols in code order. Running out of input is a plain status handed up
// from every reader instead of a non-local jump, so nothing on the way is ever skipped.

namespace qv {
namespace {

constexpr int kMaxBits = 15;                   // the longest code RFC 1951 allows
constexpr int kMaxLiteralLengthCodes = 286;    // HLIT + 257 beyond this is invalid
constexpr int kMaxDistanceCodes = 30;          // HDIST + 1 beyond this is invalid
constexpr int kFixedLiteralLengthCodes = 288;  // 286 and 287 take part in the fixed code only
constexpr int kCodeLengthCodes = 19;
constexpr int kEndOfBlock = 256;

struct State {
  std::uint8_t* out;
  std::size_t outLength;
  std::size_t outCount;
  const std::uint8_t* in;
  std::size_t inLength;
  std::size_t inCount;
  std::uint32_t bitBuffer;  // fewer than 8 bits between calls
  int bitCount;
};

// A canonical code: how many codes each length has, and the symbols in code order (shorter
// codes first, equal lengths by symbol). Sized for the largest alphabet.
struct Huffman {
  std::array<std::uint16_t, kMaxBits + 1> count{};
  std::array<std::uint16_t, kFixedLiteralLengthCodes> symbol{};
};

// Format notes: bits are packed into bytes from the least significant bit up, and a value of
// several bits starts with its least significant bit. Huffman codes are the exception: they
// arrive most significant bit first, which is why Decode builds them one bit at a time.
int Bits(State& s, int need, int& value) {
  std::uint32_t buffer = s.bitBuffer;
  while (s.bitCount < need) {
    if (s.inCount == s.inLength) return kInflateInputEnded;
    buffer |= static_cast<std::uint32_t>(s.in[s.inCount++]) << s.bitCount;
    s.bitCount += 8;
  }
  value = static_cast<int>(buffer & ((1u << need) - 1));
  s.bitBuffer = buffer >> need;
  s.bitCount -= need;
  return kInflateDone;
}

// Format notes: a stored block starts at the next byte boundary with LEN and NLEN, two
// little-endian 16-bit values, NLEN the ones' complement of LEN, followed by LEN bytes.
int Stored(State& s) {
  s.bitBuffer = 0;
  s.bitCount = 0;
  if (s.inLength - s.inCount < 4) return kInflateInputEnded;
  const std::uint8_t* header = s.in + s.inCount;
  const unsigned length = header[0] | header[1] << 8;
  const unsigned complement = header[2] | header[3] << 8;
  s.inCount += 4;
  if (length != (~complement & 0xFFFFu)) return kInflateStoredLengthMismatch;
  if (s.inLength - s.inCount < length) return kInflateInputEnded;
  if (s.outLength - s.outCount < length) return kInflateOutputFull;
  std::copy_n(s.in + s.inCount, length, s.out + s.outCount);
  s.inCount += length;
  s.outCount += length;
  return kInflateDone;
}

// Format notes: canonical codes are fully described by the length of each symbol's code:
// codes of one length are consecutive, in symbol order, and each length's first code follows
// on from the previous length's last. Returns 0 for a complete code (an empty one included),
// the positive number of missing codes for an incomplete one, or a negative value for an
// over-subscribed one, whose symbols are then left unfilled.
int Construct(Huffman& h, const std::uint16_t* length, int n) {
  h.count.fill(0);
  for (int symbol = 0; symbol < n; ++symbol) ++h.count[length[symbol]];
  if (h.count[0] == n) return 0;

  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left <<= 1;
    left -= h.count[len];
    if (left < 0) return left;
  }

  std::array<std::uint16_t, kMaxBits + 1> offset{};
  for (int len = 1; len < kMaxBits; ++len) offset[len + 1] = offset[len] + h.count[len];
  for (int symbol = 0; symbol < n; ++symbol) {
    if (length[symbol] != 0)
      h.symbol[offset[length[symbol]]++] = static_cast<std::uint16_t>(symbol);
  }
  return left;
}

// Format notes: walking the lengths in order, `first` is the first code of the current
// length and `index` the position of its first symbol; a code below first + count of its
// length is complete.
int Decode(State& s, const Huffman& h, int& symbol) {
  std::uint32_t buffer = s.bitBuffer;
  int left = s.bitCount;
  int code = 0;
  int first = 0;
  int index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    if (left == 0) {
      if (s.inCount == s.inLength) return kInflateInputEnded;
      buffer = s.in[s.inCount++];
      left = 8;
    }
    code |= static_cast<int>(buffer & 1);
    buffer >>= 1;
    --left;
    const int count = h.count[len];
    if (code - count < first) {
      s.bitBuffer = buffer;
      s.bitCount = left;
      symbol = h.symbol[index + (code - first)];
      return kInflateDone;
    }
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  s.bitBuffer = buffer;
  s.bitCount = left;
  return kInflateBadSymbol;
}

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Format notes: literals 0..255 stand for themselves, 256 ends the block, and 257..285 are
// lengths 3..258 (base plus extra bits) each followed by a distance code with its own extra
// bits. A match may overlap the bytes it produces, so it is copied one byte at a time.
int Codes(State& s, const Huffman& lengthCode, const Huffman& distanceCode) {
  for (;;) {
    int symbol = 0;
    if (int r = Decode(s, lengthCode, symbol); r != kInflateDone) return r;
    if (symbol < 256) {
      if (s.outCount == s.outLength) return kInflateOutputFull;
      s.out[s.outCount++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    if (symbol == kEndOfBlock) return kInflateDone;

    symbol -= 257;
    if (symbol >= 29) return kInflateBadSymbol;
    int extra = 0;
    if (int r = Bits(s, kLengthExtra[symbol], extra); r != kInflateDone) return r;
    const std::size_t length = kLengthBase[symbol] + static_cast<std::size_t>(extra);

    if (int r = Decode(s, distanceCode, symbol); r != kInflateDone) return r;
    if (int r = Bits(s, kDistanceExtra[symbol], extra); r != kInflateDone) return r;
    const std::size_t distance = kDistanceBase[symbol] + static_cast<std::size_t>(extra);
    if (distance > s.outCount) return kInflateDistanceTooFar;
    if (s.outLength - s.outCount < length) return kInflateOutputFull;
    for (std::size_t i = 0; i < length; ++i, ++s.outCount) {
      s.out[s.outCount] = s.out[s.outCount - distance];
    }
  }
}

struct FixedTables {
  Huffman lengthCode;
  Huffman distanceCode;
};

// Format notes: the fixed code gives literal/length symbols 0..143 eight bits, 144..255
// nine, 256..279 seven and 280..287 eight, and all 30 distance symbols five bits. The tables
// are made on first use and kept; the static's initialisation is also safe should a second
// thread ever get here first.
const FixedTables& Fixed() {
  static const FixedTables tables = [] {
    FixedTables t;
    std::array<std::uint16_t, kFixedLiteralLengthCodes> length{};
    std::fill(length.begin(), length.begin() + 144, std::uint16_t{8});
    std::fill(length.begin() + 144, length.begin() + 256, std::uint16_t{9});
    std::fill(length.begin() + 256, length.begin() + 280, std::uint16_t{7});
    std::fill(length.begin() + 280, length.end(), std::uint16_t{8});
    Construct(t.lengthCode, length.data(), kFixedLiteralLengthCodes);
    length.fill(5);
    Construct(t.distanceCode, length.data(), kMaxDistanceCodes);
    return t;
  }();
  return tables;
}

// Format notes: a dynamic block first gives the code for the code lengths (3 bits per length,
// in a fixed order that puts the likely lengths first), then the lengths of the literal/length
// and distance codes as one run-length coded sequence, so a repeat may cross from one code
// into the other.
int Dynamic(State& s) {
  constexpr std::uint8_t kOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
  int literalCount = 0;
  int distanceCount = 0;
  int codeLengthCount = 0;
  if (int r = Bits(s, 5, literalCount); r != kInflateDone) return r;
  if (int r = Bits(s, 5, distanceCount); r != kInflateDone) return r;
  if (int r = Bits(s, 4, codeLengthCount); r != kInflateDone) return r;
  literalCount += 257;
  distanceCount += 1;
  codeLengthCount += 4;
  if (literalCount > kMaxLiteralLengthCodes || distanceCount > kMaxDistanceCodes) {
    return kInflateTooManyCodes;
  }

  std::array<std::uint16_t, kMaxLiteralLengthCodes + kMaxDistanceCodes> lengths{};
  for (int index = 0; index < codeLengthCount; ++index) {
    int value = 0;
    if (int r = Bits(s, 3, value); r != kInflateDone) return r;
    lengths[kOrder[index]] = static_cast<std::uint16_t>(value);
  }
  Huffman lengthCode;
  if (Construct(lengthCode, lengths.data(), kCodeLengthCodes) != 0) {
    return kInflateBadCodeLengthCode;
  }

  const int total = literalCount + distanceCount;
  for (int index = 0; index < total;) {
    int symbol = 0;
    if (int r = Decode(s, lengthCode, symbol); r != kInflateDone) return r;
    if (symbol < 16) {
      lengths[index++] = static_cast<std::uint16_t>(symbol);
      continue;
    }
    std::uint16_t length = 0;
    int repeat = 0;
    if (symbol == 16) {
      if (index == 0) return kInflateRepeatWithoutLength;
      length = lengths[index - 1];
      if (int r = Bits(s, 2, repeat); r != kInflateDone) return r;
      repeat += 3;
    } else if (symbol == 17) {
      if (int r = Bits(s, 3, repeat); r != kInflateDone) return r;
      repeat += 3;
    } else {
      if (int r = Bits(s, 7, repeat); r != kInflateDone) return r;
      repeat += 11;
    }
    if (index + repeat > total) return kInflateRepeatTooLong;
    while (repeat-- > 0) lengths[index++] = length;
  }

  // An incomplete code is allowed only as a single code, the one case an encoder needs it.
  const auto acceptable = [](const Huffman& h, int built, int n) {
    return built == 0 || (built > 0 && n - h.count[0] == 1);
  };
  Huffman literalCode;
  int built = Construct(literalCode, lengths.data(), literalCount);
  if (!acceptable(literalCode, built, literalCount)) return kInflateBadLiteralLengthCode;
  Huffman distanceCode;
  built = Construct(distanceCode, lengths.data() + literalCount, distanceCount);
  if (!acceptable(distanceCode, built, distanceCount)) return kInflateBadDistanceCode;

  return Codes(s, literalCode, distanceCode);
}

}  // namespace

int InflateRaw(std::uint8_t* destination, std::size_t& destinationLength,
               const std::uint8_t* source, std::size_t& sourceLength) {
  State s{destination, destinationLength, 0, source, sourceLength, 0, 0, 0};
  int result = kInflateDone;
  int last = 0;
  do {
    int type = 0;
    if ((result = Bits(s, 1, last)) != kInflateDone) break;
    if ((result = Bits(s, 2, type)) != kInflateDone) break;
    switch (type) {
      case 0: result = Stored(s); break;
      case 1: {
        const FixedTables& fixed = Fixed();
        result = Codes(s, fixed.lengthCode, fixed.distanceCode);
        break;
      }
      case 2: result = Dynamic(s); break;
      default: result = kInflateBadBlockType;
    }
  } while (result == kInflateDone && !last);

  if (result <= kInflateDone) {
    destinationLength = s.outCount;
    sourceLength = s.inCount;
  }
  return result;
}

}  // namespace qv
