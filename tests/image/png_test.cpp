#include "image/png.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/image/image_test_support.h"

namespace qv {
namespace {

using test::Bytes;
using test::Ihdr;
using test::PngFile;

std::unique_ptr<PngImage> Decode(const Bytes& file) {
  PngMemorySource source{file};
  return DecodePng(PngReadMemory, &source);
}

// The samples without the filter-type bytes.
Bytes Samples(const PngImage& image) {
  Bytes samples;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    samples.insert(samples.end(), image.Samples(y), image.Samples(y) + image.RowStride() - 1);
  }
  return samples;
}

TEST(DecodePng, EveryFilterOnLaterRowsGivesTheEncodedPixels) {
  const std::vector<std::vector<std::uint8_t>> filterSets = {
      {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {0, 3, 3, 3}, {1, 4, 4, 4}, {2, 4, 3, 1}};
  for (int bpp : {3, 4}) {
    for (std::uint32_t width : {1u, 16u}) {
      const Bytes pixels = test::Sample(width * 4 * bpp, 3);
      for (const auto& filters : filterSets) {
        const auto image = Decode(test::SimplePng(width, filters, bpp, pixels));
        SCOPED_TRACE(testing::Message() << "bpp " << bpp << ", width " << width << ", filters "
                                        << int{filters[1]} << int{filters[3]});
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, 4u);
        EXPECT_EQ(image->bytesPerPixel, bpp);
        EXPECT_TRUE(Samples(*image) == pixels);
      }
    }
  }
}

// Ancillary chunks anywhere, wrong checksums everywhere, and several IDAT chunks each with a
// zlib stream of its own filling the rows in turn; after IEND nothing is read.
TEST(DecodePng, ChunksTheSubsetIgnoresOrTakesInTurn) {
  const Bytes pixels = test::Sample(6 * 6 * 4, 3);
  const Bytes rows = test::FilterRows(pixels, 6, 4, {1, 2, 3, 4, 4, 1});
  const auto part = [&](int third) {
    return test::Deflate(Bytes(rows.begin() + third * 50, rows.begin() + (third + 1) * 50), 9);
  };
  const auto image = Decode(PngFile({{"IHDR", Ihdr(6, 6), true},
                                     {"gAMA", {0, 0, 0xB1, 0x8F}, true},
                                     {"PLTE", {1, 2, 3}},
                                     {"IDAT", part(0), true},
                                     {"tEXt", {'a', 0, 'b'}},
                                     {"IDAT", part(1)},
                                     {"quVa", Bytes(100, 7), true},
                                     {"IDAT", part(2), true},
                                     {"IEND", {}, true},
                                     {"junk", {1, 2, 3}}}));
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(Samples(*image) == pixels);
}

TEST(DecodePng, RefusesEverythingOutsideTheSubset) {
  const Bytes pixels = test::Sample(4 * 3 * 4, 3);
  const Bytes rows = test::FilterRows(pixels, 4, 4, {0, 1, 2});
  const Bytes stream = test::Deflate(rows);
  const auto idat = [&](const Bytes& data) {
    return PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", data}, {"IEND", {}}});
  };
  const auto header = [&](const Bytes& ihdr) {
    return PngFile({{"IHDR", ihdr}, {"IDAT", stream}, {"IEND", {}}});
  };
  const auto filtered = [&](std::vector<std::uint8_t> filters) {
    return idat(test::Deflate(test::FilterRows(pixels, 4, 4, filters)));
  };
  const auto changed = [](Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
  };
  Bytes longIhdr = Ihdr(4, 3);
  longIhdr.push_back(0);
  Bytes trailing = stream;
  trailing.push_back(0);

  const struct {
    const char* name;
    Bytes file;
  } refusals[] = {
      {"bad signature", changed(idat(stream), 1, 'p')},
      {"first chunk not IHDR",
       PngFile({{"tEXt", {'a', 0}}, {"IHDR", Ihdr(4, 3)}, {"IDAT", stream}, {"IEND", {}}})},
      {"IHDR of 14 bytes", header(longIhdr)},
      {"palette", header(Ihdr(4, 3, 3))},
      {"grey", header(Ihdr(4, 3, 0))},
      {"grey with alpha", header(Ihdr(4, 3, 4))},
      {"16 bits", header(Ihdr(4, 3, 6, 16))},
      {"4 bits", header(Ihdr(4, 3, 2, 4))},
      {"interlaced", header(Ihdr(4, 3, 6, 8, 1))},
      {"compression method 1", header(changed(Ihdr(4, 3), 10, 1))},
      {"filter method 1", header(changed(Ihdr(4, 3), 11, 1))},
      {"one stream split over two IDATs",
       PngFile({{"IHDR", Ihdr(4, 3)},
                {"IDAT", Bytes(stream.begin(), stream.begin() + 20)},
                {"IDAT", Bytes(stream.begin() + 20, stream.end())},
                {"IEND", {}}})},
      {"zlib method 7", idat(changed(stream, 0, 0x77))},
      {"zlib window of 64 KiB", idat(changed(stream, 0, 0x88))},
      {"zlib preset dictionary", idat(changed(stream, 1, stream[1] | 0x20))},
      {"IDAT shorter than the zlib framing", idat({0x78, 0x01, 0x03, 0x00, 0x00})},
      {"empty IDAT", idat({})},
      {"no Adler-32 trailer", idat(Bytes(stream.begin(), stream.end() - 4))},
      {"a byte after the trailer", idat(trailing)},
      {"Average on the first row", filtered({3, 1, 1})},
      {"Paeth on the first row", filtered({4, 1, 1})},
      {"filter type 5", filtered({0, 5, 0})},
      {"no IDAT", PngFile({{"IHDR", Ihdr(4, 3)}, {"IEND", {}}})},
      {"rows short by a byte", idat(test::Deflate(Bytes(rows.begin(), rows.end() - 1)))},
      {"a row too many",
       idat(test::Deflate(test::FilterRows(test::Sample(64, 3), 4, 4, {0, 0, 0, 0})))},
      {"no IEND", PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", stream}})},
      {"empty file", {}},
  };
  ASSERT_NE(Decode(idat(stream)), nullptr);  // the file the refusals change
  for (const auto& r : refusals) EXPECT_EQ(Decode(r.file), nullptr) << r.name;
}

TEST(DecodePng, IdatLengthLimitIsExact) {
  // One-pixel RGB rows of 4 bytes in stored blocks make the stream's length exact.
  const auto file = [](std::uint32_t height, std::size_t blocks) {
    const Bytes stream = test::StoredZlib(Bytes(std::size_t{height} * 4, 0), blocks);
    EXPECT_EQ(stream.size(), kMaxPngIdatLength + (blocks == 3 ? 1 : 0));
    return PngFile({{"IHDR", Ihdr(1, height, 2)}, {"IDAT", stream}, {"IEND", {}}});
  };
  EXPECT_NE(Decode(file(32764, 2)), nullptr);
  EXPECT_EQ(Decode(file(32763, 3)), nullptr);
}

// Counts what the decoder asks for, to see where it stops.
struct CountingSource {
  PngMemorySource memory;
  std::size_t requested = 0;
};
bool CountingRead(void* buffer, std::size_t count, void* context) {
  auto& source = *static_cast<CountingSource*>(context);
  source.requested += count;
  return PngReadMemory(buffer, count, &source.memory);
}

// A row buffer beyond the limit (or beyond any integer) is refused before anything else is
// read; within it, decoding goes on to the next chunk (and here finds no image data).
TEST(DecodePng, RowBufferBeyondTheLimitIsRefusedAfterTheHeader) {
  const struct {
    std::uint32_t width;
    std::uint32_t height;
    std::uint8_t colourType;
    bool withinLimit;
  } cases[] = {
      {1, kMaxPngRowBytes / 4, 2, true},  // 4-byte rows, exactly the limit
      {1, kMaxPngRowBytes / 4 + 1, 2, false},
      {(kMaxPngRowBytes - 1) / 4, 1, 6, true},
      {(kMaxPngRowBytes - 1) / 4 + 1, 1, 6, false},
      {0xFFFFFFFF, 0xFFFFFFFF, 6, false},  // wraps 64 bits
      {0x40000000, 4, 6, false},           // 4 x width wraps 32 bits
  };
  for (const auto& c : cases) {
    const Bytes file = PngFile({{"IHDR", Ihdr(c.width, c.height, c.colourType)}, {"IEND", {}}});
    CountingSource source{{file}};
    EXPECT_EQ(DecodePng(CountingRead, &source), nullptr);
    EXPECT_EQ(source.requested > 33, c.withinLimit) << c.width << " x " << c.height;
  }
}

TEST(DecodePng, TheFileReaderReadsAndSkipsAsTheMemoryReader) {
  const Bytes valid = test::SimplePng(9, {0, 4, 3, 2}, 3, test::Sample(9 * 4 * 3, 3));
  Bytes hugeChunk(valid.begin(), valid.begin() + 33);  // a chunk claiming 4 GiB
  hugeChunk.insert(hugeChunk.end(), {0xFF, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 1, 2, 3});
  for (const Bytes& file : {valid, Bytes(valid.begin(), valid.end() - 12), hugeChunk}) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::rewind(f);
    const auto fromFile = DecodePng(PngReadFile, f);
    std::fclose(f);
    const auto fromMemory = Decode(file);
    EXPECT_EQ(fromFile != nullptr, file == valid) << file.size();
    ASSERT_EQ(fromFile != nullptr, fromMemory != nullptr) << file.size();
    if (fromFile) {
      EXPECT_TRUE(fromFile->rows == fromMemory->rows);
    }
  }
}

// Every one-byte change and every truncation is refused or decodes to a whole image; under the
// sanitizers this also shows that nothing is read or written out of bounds.
TEST(DecodePng, MutatedFilesAreRefusedOrWhole) {
  Bytes icon;
  if (std::FILE* f = std::fopen(QUORVANE_RESOURCES_DIR "/icons/New_task.png", "rb")) {
    for (int ch; (ch = std::fgetc(f)) != EOF;) icon.push_back(static_cast<std::uint8_t>(ch));
    std::fclose(f);
  }
  const Bytes files[] = {
      test::SimplePng(5, {1, 4, 3, 2}, 4, test::Sample(5 * 4 * 4, 3)),
      PngFile({{"IHDR", Ihdr(3, 2, 2)},
               {"tEXt", {'k', 0, 'v'}},
               {"IDAT", test::Deflate(test::FilterRows(test::Sample(18, 3), 3, 3, {0, 4}), 0)},
               {"IEND", {}}}),
      icon,
  };
  const auto check = [](const Bytes& file) {
    const auto image = Decode(file);
    return image == nullptr ||
           ((image->bytesPerPixel == 3 || image->bytesPerPixel == 4) &&
            image->rows.size() == std::size_t{image->height} * image->RowStride());
  };
  for (const Bytes& file : files) {
    ASSERT_NE(Decode(file), nullptr) << file.size();
    for (std::size_t i = 0; i < file.size(); ++i) {
      Bytes changed = file;
      changed[i] = static_cast<std::uint8_t>(~file[i]);
      EXPECT_TRUE(check(changed)) << "flipped " << i;
      changed[i] = 0;
      EXPECT_TRUE(check(changed)) << "zeroed " << i;
      // Only IEND's checksum may be cut off: it is skipped, as a file reader seeks past it.
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(i));
      if (i < file.size() - 4) {
        EXPECT_EQ(Decode(cut), nullptr) << "cut at " << i;
      }
    }
  }
}

}  // namespace
}  // namespace qv
