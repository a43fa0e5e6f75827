#include "image/png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
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

// The samples without the filter-type bytes; empty for no image.
Bytes Samples(const std::unique_ptr<PngImage>& image) {
  Bytes samples;
  for (std::uint32_t y = 0; image && y < image->height; ++y) {
    samples.insert(samples.end(), image->Samples(y), image->Samples(y) + image->RowStride() - 1);
  }
  return samples;
}

TEST(DecodePng, EveryFilterOnLaterRowsGivesTheEncodedPixels) {
  const std::vector<std::uint8_t> filterSets[] = {
      {0, 1, 2, 3, 4, 4, 3}, {1, 4, 3, 2, 1, 0, 4}, {2, 3, 4, 0, 2, 1, 3}};
  for (int bpp : {3, 4}) {
    for (std::uint32_t width : {1u, 9u}) {
      for (const auto& filters : filterSets) {
        const Bytes pixels = test::Sample(width * filters.size() * bpp);
        const auto image =
            Decode(PngFile({{"IHDR", Ihdr(width, 7, bpp == 4 ? 6 : 2)},
                            {"IDAT", test::Zlib(test::FilterRows(pixels, width, bpp, filters))},
                            {"IEND", {}}}));
        EXPECT_TRUE(Samples(image) == pixels && image->width == width && image->height == 7 &&
                    image->bytesPerPixel == bpp)
            << bpp << " " << width << " " << int{filters[0]};
      }
    }
  }
}

// Ancillary chunks anywhere, wrong checksums everywhere, and several IDAT chunks each with a
// zlib stream of its own filling the rows in turn; after IEND nothing is read. The file
// reader skips the chunks as the memory reader does.
TEST(DecodePng, ChunksTheSubsetIgnoresOrTakesInTurn) {
  const Bytes pixels = test::Sample(6 * 6 * 4);
  const Bytes rows = test::FilterRows(pixels, 6, 4, {1, 2, 3, 4, 4, 1});
  std::vector<std::pair<std::string, Bytes>> chunks{{"IHDR", Ihdr(6, 6)}};
  for (std::size_t third = 0; third < 3; ++third) {
    chunks.push_back({third == 1 ? "quVa" : "tEXt", {'a', 0, 'b'}});
    chunks.push_back({"IDAT", test::Zlib(Bytes(&rows[third * 50], &rows[third * 50] + 50))});
  }
  chunks.insert(chunks.end(), {{"IEND", {}}, {"junk", {1, 2, 3}}});
  const Bytes file = PngFile(chunks, true);
  EXPECT_TRUE(Samples(Decode(file)) == pixels);
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fwrite(file.data(), 1, file.size(), f);
  std::rewind(f);
  EXPECT_TRUE(Samples(DecodePng(PngReadFile, f)) == pixels);
  std::fclose(f);
}

// One-pixel RGB rows of 4 bytes in stored blocks of 5 bytes' overhead each give an IDAT of
// the limit's length plus blocks - 2.
Bytes IdatAtLimit(std::uint32_t blocks) {
  const std::uint32_t height = kMaxPngIdatLength / 4 - 2 - blocks;
  test::BitWriter zlib;
  zlib.Put(0x0178, 16);
  for (std::uint32_t b = 0; b < blocks; ++b) {
    zlib.Stored(b + 1 == blocks, Bytes(height * 4 / blocks, 0));
  }
  return PngFile({{"IHDR", Ihdr(1, height, 2)}, {"IDAT", zlib.Put(0, 32).bytes}, {"IEND", {}}});
}

TEST(DecodePng, RefusesEverythingOutsideTheSubset) {
  const Bytes pixels = test::Sample(4 * 3 * 4);
  const Bytes rows = test::FilterRows(pixels, 4, 4, {0, 1, 2});
  const Bytes stream = test::Zlib(rows);
  const auto idat = [&](const Bytes& data) {
    return PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", data}, {"IEND", {}}});
  };
  const auto header = [&](const Bytes& ihdr, const char* type = "IHDR") {
    return PngFile({{type, ihdr}, {"IDAT", stream}, {"IEND", {}}});
  };
  const auto filtered = [&](std::vector<std::uint8_t> filters) {
    return idat(test::Zlib(test::FilterRows(pixels, 4, 4, filters)));
  };
  const auto changed = [](Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes.resize(std::max(bytes.size(), at + 1));  // a byte past the end appends
    bytes[at] = value;
    return bytes;
  };
  ASSERT_NE(Decode(idat(stream)), nullptr);  // the file most refusals change
  ASSERT_NE(Decode(IdatAtLimit(2)), nullptr);

  using E = PngError;
  const std::pair<Bytes, PngError> refusals[] = {
      {Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, E::Truncated},  // signature cut short
      {Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, E::NotPng},  // short, and no PNG
      {changed(idat(stream), 1, 'p'), E::NotPng},
      {header(Ihdr(4, 3), "iHDR"), E::BadHeader},            // first chunk
      {header(changed(Ihdr(4, 3), 13, 0)), E::BadHeader},    // IHDR of 14 bytes
      {header(Ihdr(4, 3, 3)), E::Unsupported},               // palette
      {header(Ihdr(4, 3, 0)), E::Unsupported},               // grey
      {header(Ihdr(4, 3, 6, 16)), E::Unsupported},           // 16 bits
      {header(Ihdr(4, 3, 6, 8, 1)), E::Unsupported},         // interlaced
      {header(changed(Ihdr(4, 3), 10, 1)), E::Unsupported},  // compression method
      {header(changed(Ihdr(4, 3), 11, 1)), E::Unsupported},  // filter method
      {PngFile({{"IHDR", Ihdr(4, 3)},                        // one stream split over two IDATs
                {"IDAT", Bytes(stream.begin(), stream.begin() + 20)},
                {"IDAT", Bytes(stream.begin() + 20, stream.end())},
                {"IEND", {}}}),
       E::BadCompressedData},
      {IdatAtLimit(3), E::BadIdat},                              // a byte over
      {idat({0x78, 0x01, 0x03, 0x00, 0x00}), E::BadIdat},        // shorter than the framing
      {idat(changed(stream, 0, 0x77)), E::BadIdat},              // zlib method 7
      {idat(changed(stream, 0, 0x88)), E::BadIdat},              // zlib window of 64 KiB
      {idat(changed(stream, 1, stream[1] | 0x20)), E::BadIdat},  // preset dictionary
      {idat(Bytes(stream.begin(), stream.end() - 4)), E::BadCompressedData},  // no Adler-32
      {idat(changed(stream, stream.size(), 0)), E::BadCompressedData},        // a byte after it
      {filtered({3, 1, 1}), E::BadFilter},  // Average on the first row
      {filtered({4, 1, 1}), E::BadFilter},  // Paeth on the first row
      {filtered({0, 5, 0}), E::BadFilter},
      {PngFile({{"IHDR", Ihdr(4, 3)}, {"IEND", {}}}), E::MissingImageData},
      {idat(test::Zlib(Bytes(rows.begin(), rows.end() - 1))), E::MissingImageData},
      {idat(test::Zlib(changed(rows, rows.size() + 16, 0))), E::BadCompressedData},  // a row more
      {PngFile({{"IHDR", Ihdr(4, 3)}, {"IDAT", stream}}), E::Truncated},
  };
  for (std::size_t i = 0; i < std::size(refusals); ++i) {
    PngMemorySource source{refusals[i].first};
    PngError error = E::None;
    EXPECT_EQ(DecodePng(PngReadMemory, &source, &error), nullptr) << i;
    EXPECT_EQ(error, refusals[i].second) << i;
  }
}

// A row buffer beyond the limit (or beyond any integer) is refused before anything else is
// read; within it, decoding goes on to the next chunk (and here finds no image data).
TEST(DecodePng, RowBufferBeyondTheLimitIsRefusedAfterTheHeader) {
  const struct {
    std::uint32_t width, height;
    std::uint8_t colourType;
    bool withinLimit;
  } cases[] = {
      {(kMaxPngRowBytes - 1) / 3, 1, 2, true},  // one RGB row of exactly the limit
      {(kMaxPngRowBytes - 1) / 3 + 1, 1, 2, false},
      {1, kMaxPngRowBytes / 4, 2, true},  // rows of 4 bytes filling the limit
      {1, kMaxPngRowBytes / 4 + 1, 2, false},
      {0xFFFFFFFF, 0xFFFFFFFF, 6, false},  // wraps 64 bits
      {0x40000000, 4, 6, false},           // 4 x width wraps 32 bits
  };
  for (const auto& c : cases) {
    const Bytes file = PngFile({{"IHDR", Ihdr(c.width, c.height, c.colourType)}, {"IEND", {}}});
    PngMemorySource source{file};
    PngError error = PngError::None;
    EXPECT_EQ(DecodePng(PngReadMemory, &source, &error), nullptr);
    EXPECT_EQ(source.position > 33, c.withinLimit) << c.width << " x " << c.height;
    EXPECT_EQ(error, c.withinLimit ? PngError::MissingImageData : PngError::TooLarge);
  }
}

// The art generator's icon, as the toolbar takes it, and then refused or decoded whole after
// every one-byte change or cut; under the sanitizers this also shows that nothing is read or
// written out of bounds.
TEST(DecodePng, MutatedIconIsRefusedOrWhole) {
  Bytes file;
  if (std::FILE* f = std::fopen(QUORVANE_RESOURCES_DIR "/icons/New_task.png", "rb")) {
    for (int ch; (ch = std::fgetc(f)) != EOF;) file.push_back(static_cast<std::uint8_t>(ch));
    std::fclose(f);
  }
  const auto icon = Decode(file);
  ASSERT_TRUE(icon && icon->width == 48 && icon->height == 48 && icon->bytesPerPixel == 4);
  const auto whole = [](const Bytes& changed) {
    const auto image = Decode(changed);
    return !image || image->rows.size() == std::size_t{image->height} * image->RowStride();
  };
  for (std::size_t i = 0; i < file.size(); ++i) {
    Bytes changed = file;
    changed[i] = static_cast<std::uint8_t>(~file[i]);
    EXPECT_TRUE(whole(changed)) << "flipped " << i;
    changed[i] = 0;
    EXPECT_TRUE(whole(changed)) << "zeroed " << i;
    // Only IEND's checksum may be cut off: it is skipped, as a file reader seeks past it.
    EXPECT_TRUE(i >= file.size() - 4 || !Decode(Bytes(file.begin(), file.begin() + i))) << i;
  }
}

}  // namespace
}  // namespace qv
