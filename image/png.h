#pragma once
// The PNG subset of the toolbar icons: 8-bit RGB or RGBA, not interlaced, each "IDAT" chunk
// holding one complete zlib stream. Anything else is refused.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace qv {

// The row buffer's ceiling: far above any toolbar icon, and low enough that a file claiming
// a huge image is refused before anything is allocated.
inline constexpr std::size_t kMaxPngRowBytes = std::size_t{64} << 20;
// The largest "IDAT" chunk accepted; the icons are a few kilobytes.
inline constexpr std::uint32_t kMaxPngIdatLength = 0x20000;

struct PngImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bytesPerPixel = 0;  // 3 (RGB) or 4 (RGBA)
  // Each row is its filter-type byte followed by the samples R, G, B (and A) of each pixel,
  // top row first; after decoding the samples hold final values.
  std::vector<std::uint8_t> rows;

  std::size_t RowStride() const { return 1 + std::size_t{width} * bytesPerPixel; }
  // The samples of row y, after its filter-type byte.
  const std::uint8_t* Samples(std::uint32_t y) const { return rows.data() + y * RowStride() + 1; }
};

// Reads exactly count bytes into buffer, or with a null buffer skips count bytes. False when
// that is not possible.
using PngReadFn = bool (*)(void* buffer, std::size_t count, void* context);

// The reader for an open std::FILE* (the context), opened in binary mode.
bool PngReadFile(void* buffer, std::size_t count, void* context);

// The reader for bytes in memory; the context is a PngMemorySource.
struct PngMemorySource {
  std::span<const std::uint8_t> bytes;
  std::size_t position = 0;
};
bool PngReadMemory(void* buffer, std::size_t count, void* context);

// Why a file was refused, in the order decoding meets the problems.
enum class PngError {
  None,
  Truncated,
  NotPng,
  BadHeader,
  Unsupported,
  TooLarge,
  BadIdat,
  BadCompressedData,
  BadFilter,
  MissingImageData,
  OutOfMemory,
};
// A sentence fragment for a person, e.g. "the file ends early".
std::u16string_view PngErrorText(PngError error);

// The decoded image, or null when the data is refused or memory runs out; error, when given,
// says which.
std::unique_ptr<PngImage> DecodePng(PngReadFn read, void* context, PngError* error = nullptr);

}  // namespace qv
