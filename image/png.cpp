#include "image/png.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "image/inflate.h"

namespace qv {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// After the signature, IHDR whole: length, type, 13 bytes of data and the checksum.
constexpr std::size_t kIhdrChunkBytes = 25;
constexpr std::uint32_t kIhdrLength = 13;
// The zlib stream's 2-byte header and its 4-byte Adler-32 trailer around the DEFLATE data.
constexpr std::uint32_t kZlibHeaderBytes = 2;
constexpr std::uint32_t kZlibFramingBytes = 6;
constexpr std::uint32_t kChecksumBytes = 4;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool IsType(const std::uint8_t* type, const char (&name)[5]) {
  return std::memcmp(type, name, 4) == 0;
}

// Indexed by PngError.
constexpr std::u16string_view kErrorTexts[] = {
    u"no error",
    u"the file ends early",
    u"not a PNG file",
    u"the first chunk is not a 13-byte IHDR",
    u"not 8-bit RGB or RGBA without interlacing",
    u"the image is too large",
    u"an IDAT chunk is over 128 KiB, shorter than its zlib framing, or has a zlib header other "
    u"than DEFLATE with at most a 32 KiB window and no dictionary",
    u"an IDAT chunk's compressed data is damaged, cut short or longer than the image",
    u"a row has an unknown filter type, or one that needs a row above the first",
    u"the image data is missing or shorter than the image",
    u"not enough memory",
};
static_assert(std::size(kErrorTexts) == static_cast<std::size_t>(PngError::OutOfMemory) + 1);

// Width, height and bytes per pixel from the signature and IHDR. The signature is read on its
// own, so that a short file of something else is called what it is.
PngError ReadHead(PngReadFn read, void* context, PngImage& image) {
  std::uint8_t signature[sizeof kSignature];
  if (!read(signature, sizeof signature, context)) return PngError::Truncated;
  if (std::memcmp(signature, kSignature, sizeof kSignature) != 0) return PngError::NotPng;
  std::uint8_t head[kIhdrChunkBytes];
  if (!read(head, sizeof head, context)) return PngError::Truncated;
  if (BigEndian32(head) != kIhdrLength || !IsType(head + 4, "IHDR")) return PngError::BadHeader;
  const std::uint8_t* ihdr = head + 8;
  const std::uint8_t bitDepth = ihdr[8];
  const std::uint8_t colourType = ihdr[9];
  if (bitDepth != 8 || (colourType & 3) != 2) return PngError::Unsupported;
  const bool plain = ihdr[10] == 0 && ihdr[11] == 0 && ihdr[12] == 0;  // no interlacing above all
  if (!plain) return PngError::Unsupported;
  image.width = BigEndian32(ihdr);
  image.height = BigEndian32(ihdr + 4);
  image.bytesPerPixel = (colourType & 4) != 0 ? 4 : 3;
  return PngError::None;
}

// height x (1 + width x bytes per pixel) in 64 bits, compared with the ceiling before it can
// overflow: a 32-bit height times a 35-bit row would not fit even 64 bits.
bool RowBufferSize(const PngImage& image, std::size_t& size) {
  const std::uint64_t row = 1 + std::uint64_t{image.width} * image.bytesPerPixel;
  if (row > kMaxPngRowBytes || image.height > kMaxPngRowBytes / row) return false;
  size = static_cast<std::size_t>(row * image.height);
  return true;
}

std::uint8_t Paeth(int left, int up, int upLeft) {
  const int estimate = left + up - upLeft;
  const int toLeft = std::abs(estimate - left);
  const int toUp = std::abs(estimate - up);
  const int toUpLeft = std::abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<std::uint8_t>(left);
  if (toUp <= toUpLeft) return static_cast<std::uint8_t>(up);
  return static_cast<std::uint8_t>(upLeft);
}

// In place, top to bottom. Average and Paeth would need a row above the first one; the
// subset refuses them there.
bool Unfilter(PngImage& image) {
  const std::size_t stride = image.RowStride();
  const std::size_t samples = stride - 1;
  const std::size_t bpp = image.bytesPerPixel;
  const std::uint8_t* up = nullptr;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    std::uint8_t* row = image.rows.data() + y * stride;
    std::uint8_t* x = row + 1;
    switch (row[0]) {
      case 0: break;
      case 1:
        for (std::size_t i = bpp; i < samples; ++i)
          x[i] = static_cast<std::uint8_t>(x[i] + x[i - bpp]);
        break;
      case 2:
        if (up == nullptr) break;
        for (std::size_t i = 0; i < samples; ++i) x[i] = static_cast<std::uint8_t>(x[i] + up[i]);
        break;
      case 3:
        if (up == nullptr) return false;
        for (std::size_t i = 0; i < samples; ++i) {
          const int left = i >= bpp ? x[i - bpp] : 0;
          x[i] = static_cast<std::uint8_t>(x[i] + (left + up[i]) / 2);
        }
        break;
      case 4:
        if (up == nullptr) return false;
        for (std::size_t i = 0; i < samples; ++i) {
          const int left = i >= bpp ? x[i - bpp] : 0;
          const int upLeft = i >= bpp ? up[i - bpp] : 0;
          x[i] = static_cast<std::uint8_t>(x[i] + Paeth(left, up[i], upLeft));
        }
        break;
      default: return false;
    }
    up = x;
  }
  return true;
}

// The chunks after IHDR up to IEND, inflating every "IDAT" straight into the rows.
PngError ReadChunks(PngReadFn read, void* context, PngImage& image, std::size_t rowBytes) {
  std::vector<std::uint8_t> input;  // reused by every "IDAT"; only ever grows
  std::size_t filled = 0;
  bool sawData = false;
  for (;;) {
    std::uint8_t header[8];
    if (!read(header, sizeof header, context)) return PngError::Truncated;
    const std::uint32_t length = BigEndian32(header);
    const std::uint8_t* type = header + 4;
    if (!IsType(type, "IDAT")) {
      // Two skips: length + 4 would wrap for the largest lengths a file can claim.
      if (!read(nullptr, length, context) || !read(nullptr, kChecksumBytes, context)) {
        return PngError::Truncated;
      }
      if (IsType(type, "IEND")) break;
      continue;
    }

    // Shorter than the zlib framing, the stream could not be whole, and its length less the
    // framing would wrap.
    if (length > kMaxPngIdatLength || length < kZlibFramingBytes) return PngError::BadIdat;
    if (input.size() < length + kChecksumBytes) input.resize(length + kChecksumBytes);
    if (!read(input.data(), length + kChecksumBytes, context)) return PngError::Truncated;
    const std::uint8_t method = input[0];
    const std::uint8_t flags = input[1];
    if ((method & 0x0F) != 8 || (method >> 4) > 7 || (flags & 0x20) != 0) {
      return PngError::BadIdat;
    }

    if (!sawData) {
      image.rows.resize(rowBytes);
      sawData = true;
    }
    std::size_t written = rowBytes - filled;
    std::size_t consumed = length - kZlibHeaderBytes;
    const int result =
        InflateRaw(image.rows.data() + filled, written, input.data() + kZlibHeaderBytes, consumed);
    // The DEFLATE data must end exactly where the Adler-32 trailer begins.
    if (result != kInflateDone || consumed != length - kZlibFramingBytes) {
      return PngError::BadCompressedData;
    }
    filled += written;
  }
  // A file without image data, or with less than the rows need, gives no image rather than
  // one with invented pixels.
  return sawData && filled == rowBytes ? PngError::None : PngError::MissingImageData;
}

PngError Decode(PngReadFn read, void* context, PngImage& image) {
  std::size_t rowBytes = 0;
  if (const PngError error = ReadHead(read, context, image); error != PngError::None) return error;
  if (!RowBufferSize(image, rowBytes)) return PngError::TooLarge;
  if (const PngError error = ReadChunks(read, context, image, rowBytes); error != PngError::None) {
    return error;
  }
  return Unfilter(image) ? PngError::None : PngError::BadFilter;
}

}  // namespace

bool PngReadFile(void* buffer, std::size_t count, void* context) {
  auto* file = static_cast<std::FILE*>(context);
  if (buffer != nullptr) return std::fread(buffer, 1, count, file) == count;
  // fseek takes a long, only 32 bits on Windows: a large count in one step would turn
  // negative and seek backwards, possibly back onto the same chunk for ever.
  while (count > 0) {
    const std::size_t step = std::min<std::size_t>(count, LONG_MAX);
    if (std::fseek(file, static_cast<long>(step), SEEK_CUR) != 0) return false;
    count -= step;
  }
  return true;
}

bool PngReadMemory(void* buffer, std::size_t count, void* context) {
  auto& source = *static_cast<PngMemorySource*>(context);
  if (buffer == nullptr) {
    // As with fseek, skipping past the end succeeds and the next read fails.
    source.position += std::min(count, SIZE_MAX - source.position);
    return true;
  }
  if (source.position > source.bytes.size() || source.bytes.size() - source.position < count) {
    return false;
  }
  std::copy_n(source.bytes.data() + source.position, count, static_cast<std::uint8_t*>(buffer));
  source.position += count;
  return true;
}

std::u16string_view PngErrorText(PngError error) {
  return kErrorTexts[static_cast<std::size_t>(error)];
}

std::unique_ptr<PngImage> DecodePng(PngReadFn read, void* context, PngError* error) {
  PngError result = PngError::None;
  std::unique_ptr<PngImage> image;
  try {
    image = std::make_unique<PngImage>();
    result = Decode(read, context, *image);
  } catch (const std::bad_alloc&) {
    result = PngError::OutOfMemory;
  }
  if (error != nullptr) *error = result;
  return result == PngError::None ? std::move(image) : nullptr;
}

}  // namespace qv
