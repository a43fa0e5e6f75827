// The inflater against zlib and libdeflate on the same raw DEFLATE streams, and the PNG
// reader against libpng on the same files. Bytes processed are the decoded bytes, so the
// throughputs compare directly.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/inflate.h"
#include "image/png.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kStreamInput = 1 << 20;

std::uint32_t Next(std::uint32_t& state) {
  state = state * 1103515245u + 12345u;
  return state >> 16;
}

// Words and line ends, as in the program's own files and reports.
Bytes TextLike() {
  static const char* const kWords[] = {
      "task ",   "deadline ", "priority ",          "the ",   "list ",  "window ",
      "solved ", "log\r\n",   "Difficulty=\"40\" ", "<Task ", "/>\r\n", "2026-03-14 "};
  Bytes data;
  std::uint32_t state = 1;
  while (data.size() < kStreamInput) {
    const std::string word = kWords[Next(state) % 12];
    data.insert(data.end(), word.begin(), word.end());
  }
  data.resize(kStreamInput);
  return data;
}

// RGBA rows with gradients, flat areas and some noise, as icons and screenshots have. With
// filter bytes, the rows are filtered as a PNG encoder would store them: Sub on the first
// row, Up on the others.
Bytes ImageLike(std::uint32_t width, std::uint32_t height, bool filterBytes) {
  const std::size_t stride = std::size_t{width} * 4;
  Bytes pixels;
  std::uint32_t state = 7;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool inside = (x / 32 + y / 32) % 3 != 0;
      pixels.insert(pixels.end(),
                    {static_cast<std::uint8_t>(inside ? x * 255 / width : 240),
                     static_cast<std::uint8_t>(inside ? y * 255 / height : 240),
                     static_cast<std::uint8_t>(inside ? 128 + Next(state) % 8 : 240),
                     static_cast<std::uint8_t>(inside || (x + y) % 64 != 0 ? 255 : 0)});
    }
  }
  if (!filterBytes) return pixels;
  Bytes rows;
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels.data() + y * stride;
    rows.push_back(y == 0 ? 1 : 2);
    for (std::size_t i = 0; i < stride; ++i) {
      const std::uint8_t predicted = y == 0 ? (i >= 4 ? row[i - 4] : 0) : row[i - stride];
      rows.push_back(static_cast<std::uint8_t>(row[i] - predicted));
    }
  }
  return rows;
}

Bytes RawDeflate(const Bytes& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Stream {
  Bytes raw;
  Bytes compressed;
};

const Stream& Text() {
  static const Stream s = [] {
    Bytes raw = TextLike();
    return Stream{raw, RawDeflate(raw, 6)};
  }();
  return s;
}

const Stream& Image() {
  static const Stream s = [] {
    Bytes raw = ImageLike(512, 512, false);
    return Stream{raw, RawDeflate(raw, 6)};
  }();
  return s;
}

void Ours(benchmark::State& state, const Stream& (*stream)()) {
  const Stream& s = stream();
  Bytes out(s.raw.size());
  for (auto _ : state) {
    std::size_t written = out.size();
    std::size_t consumed = s.compressed.size();
    if (qv::InflateRaw(out.data(), written, s.compressed.data(), consumed) != 0) {
      state.SkipWithError("inflate failed");
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.raw.size()));
}

void Zlib(benchmark::State& state, const Stream& (*stream)()) {
  const Stream& s = stream();
  Bytes out(s.raw.size());
  for (auto _ : state) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(s.compressed.data());
    z.avail_in = static_cast<uInt>(s.compressed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("zlib failed");
    inflateEnd(&z);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.raw.size()));
}

void Libdeflate(benchmark::State& state, const Stream& (*stream)()) {
  const Stream& s = stream();
  Bytes out(s.raw.size());
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  for (auto _ : state) {
    std::size_t actual = 0;
    if (libdeflate_deflate_decompress(d, s.compressed.data(), s.compressed.size(), out.data(),
                                      out.size(), &actual) != LIBDEFLATE_SUCCESS) {
      state.SkipWithError("libdeflate failed");
    }
    benchmark::DoNotOptimize(out.data());
  }
  libdeflate_free_decompressor(d);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.raw.size()));
}

BENCHMARK_CAPTURE(Ours, text, Text);
BENCHMARK_CAPTURE(Zlib, text, Text);
BENCHMARK_CAPTURE(Libdeflate, text, Text);
BENCHMARK_CAPTURE(Ours, image, Image);
BENCHMARK_CAPTURE(Zlib, image, Image);
BENCHMARK_CAPTURE(Libdeflate, image, Image);

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
  const auto length = static_cast<std::uint32_t>(data.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    png.push_back(static_cast<std::uint8_t>(length >> shift));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  const auto crc = static_cast<std::uint32_t>(
      crc32(0, png.data() + start, static_cast<uInt>(png.size() - start)));
  for (int shift = 24; shift >= 0; shift -= 8)
    png.push_back(static_cast<std::uint8_t>(crc >> shift));
}

Bytes ReadFile(const char* path) {
  Bytes bytes;
  if (std::FILE* f = std::fopen(path, "rb")) {
    for (int ch; (ch = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(ch));
    std::fclose(f);
  }
  return bytes;
}

// The toolbar's own 48 x 48 icon, and a 256 x 256 RGBA image in the same form (one IDAT
// within the reader's limit), so both readers take both.
const Bytes& SmallPng() {
  static const Bytes png = ReadFile(QUORVANE_RESOURCES_DIR "/icons/New_task.png");
  return png;
}

const Bytes& LargePng() {
  static const Bytes png = [] {
    Bytes file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    PutChunk(file, "IHDR", {0, 0, 1, 0, 0, 0, 1, 0, 8, 6, 0, 0, 0});
    const Bytes rows = ImageLike(256, 256, true);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes zlib(size);
    compress2(zlib.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 9);
    zlib.resize(size);
    PutChunk(file, "IDAT", zlib);
    PutChunk(file, "IEND", {});
    return file;
  }();
  return png;
}

void DecodeOurs(benchmark::State& state, const Bytes& (*file)()) {
  const Bytes& png = file();
  std::size_t pixels = 0;
  for (auto _ : state) {
    qv::PngMemorySource source{png};
    const auto image = qv::DecodePng(qv::PngReadMemory, &source);
    if (image == nullptr) {
      state.SkipWithError("refused");
      break;
    }
    pixels = std::size_t{image->width} * image->height;
    benchmark::DoNotOptimize(image->rows.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels * 4));
}

void DecodeLibpng(benchmark::State& state, const Bytes& (*file)()) {
  const Bytes& png = file();
  std::size_t pixels = 0;
  Bytes out;
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
      state.SkipWithError("libpng refused");
      break;
    }
    image.format = PNG_FORMAT_RGBA;
    out.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) {
      state.SkipWithError("libpng failed");
      break;
    }
    pixels = std::size_t{image.width} * image.height;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels * 4));
}

BENCHMARK_CAPTURE(DecodeOurs, icon48, SmallPng);
BENCHMARK_CAPTURE(DecodeLibpng, icon48, SmallPng);
BENCHMARK_CAPTURE(DecodeOurs, rgba256, LargePng);
BENCHMARK_CAPTURE(DecodeLibpng, rgba256, LargePng);

}  // namespace

BENCHMARK_MAIN();
