#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/text.h"

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A one-row PNG made by hand: a stored DEFLATE block, checksums zero (the reader skips them).
Bytes Png(std::uint8_t colourType, std::uint8_t width, const Bytes& row) {
  const auto n = static_cast<std::uint8_t>(row.size());
  Bytes png = {0x89,
               'P',
               'N',
               'G',
               0x0D,
               0x0A,
               0x1A,
               0x0A,
               0,
               0,
               0,
               13,
               'I',
               'H',
               'D',
               'R',
               0,
               0,
               0,
               width,
               0,
               0,
               0,
               1,
               8,
               colourType,
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               0,
               static_cast<std::uint8_t>(n + 11),
               'I',
               'D',
               'A',
               'T',
               0x78,
               0x01,
               1,
               n,
               0,
               static_cast<std::uint8_t>(~n),
               0xFF};
  for (std::uint8_t b : row) png.push_back(b);
  for (std::uint8_t b : Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0}) {
    png.push_back(b);
  }
  return png;
}

class ImageCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = Utf16ToUtf8(TempFolder()) + "\\quorvane-cli-image-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    std::filesystem::remove_all(Native(folder_), ignored);
    ASSERT_EQ(CreateDirectoryW(Utf8ToUtf16(folder_)), kErrorSuccess);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(Native(folder_), ignored);
  }
  static std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');  // which Windows takes too
    return path;
  }
  std::string In(const std::string& name) const { return folder_ + "\\" + name; }
  // Runs the command with the input file written from bytes; gives status, output and the
  // bytes of the output file ("missing" when none was written).
  std::vector<std::string> Run(const char* command, const Bytes& input) const {
    EXPECT_EQ(WriteWholeFile(Utf8ToUtf16(In("in")), input), kErrorSuccess);
    std::ostringstream out, err;
    const int status = cli::Run({command, In("in"), In("out")}, out, err);
    Bytes written;
    const bool exists = ReadWholeFile(Utf8ToUtf16(In("out")), written) == kErrorSuccess;
    DeleteFileW(Utf8ToUtf16(In("out")));
    return {std::to_string(status), out.str() + err.str(),
            exists ? std::string(written.begin(), written.end()) : "missing"};
  }

  std::string folder_;
};

TEST_F(ImageCommands, PngDecodeAndInflateOutputs) {
  const struct {
    const char* command;
    Bytes input;
    std::vector<std::string> expected;  // status, printed text, output file
  } cases[] = {
      // Sub filter: the second pixel gains the first.
      {"png-decode",
       Png(6, 2, {1, 10, 20, 30, 40, 5, 5, 5, 5}),
       {"0", "2 1 4\n", "\x0A\x14\x1E\x28\x0F\x19\x23\x2D"}},
      {"png-decode", Png(2, 1, {0, 7, 8, 9}), {"0", "1 1 3\n", "\x07\x08\x09"}},
      {"png-decode", Png(3, 1, {0, 0}), {"1", "refused\n", "missing"}},
      {"png-decode", Png(6, 1, {3, 1, 2, 3, 4}), {"1", "refused\n", "missing"}},
      {"inflate", {1, 3, 0, 0xFC, 0xFF, 'a', 'b', 'c', 'x'}, {"0", "result 0 8 3\n", "abc"}},
      {"inflate", {7}, {"1", "result -1 1 0\n", "missing"}},
      // Input ran out: the lengths stay as given, the capacity being 64 MiB.
      {"inflate", {1, 3, 0, 0xFC, 0xFF, 'a'}, {"1", "result 2 6 67108864\n", "missing"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.command, c.input), c.expected) << c.command;
}

TEST_F(ImageCommands, UsageErrorsAndUnreadableInput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"png-decode"}, {"png-decode", "a", "b", "c"}, {"inflate", "a"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run(args, out, err), cli::kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("usage: " + args[0]), std::string::npos);
  }
  for (const char* command : {"png-decode", "inflate"}) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run({command, In("absent"), In("out")}, out, err), cli::kExitRefused);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(In("absent")), std::string::npos);
  }
}

}  // namespace
}  // namespace qv
