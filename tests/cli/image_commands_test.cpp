#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace qv::test {
namespace {

using namespace std::string_literals;

// A one-row PNG made by hand: a stored DEFLATE block, checksums zero (the reader skips them).
std::string Png(char colourType, char width, const std::string& row) {
  const auto n = static_cast<char>(row.size());
  return "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0"s + width + "\0\0\0\x01\x08"s + colourType +
         std::string(10, '\0') + static_cast<char>(n + 11) + "IDAT\x78\x01\x01"s + n + '\0' +
         static_cast<char>(~n) + '\xFF' + row + std::string(12, '\0') + "IEND\0\0\0\0"s;
}

TEST(ImageCommands, PngDecodeAndInflateOutputsAndUnreadableInput) {
  const ScratchFolder folder;
  const std::u16string in = folder / u"in", out = folder / u"out";
  const struct {
    const char* command;
    std::string input;
    std::vector<std::string> expected;  // status, printed text, output file
  } cases[] = {
      // Sub filter: the second pixel gains the first.
      {"png-decode",
       Png(6, 2, "\x01\x0A\x14\x1E\x28\x05\x05\x05\x05"),
       {"0", "2 1 4\n", "\x0A\x14\x1E\x28\x0F\x19\x23\x2D"}},
      {"png-decode", Png(2, 1, "\0\x07\x08\x09"s), {"0", "1 1 3\n", "\x07\x08\x09"}},
      {"png-decode",
       Png(3, 1, "\0\0"s),
       {"1",
        "quorvane-cli: png-decode: " + Arg(in) +
            ": refused: not 8-bit RGB or RGBA without interlacing\n",
        "missing"}},
      {"inflate", "\1\3\0\374\377abcx"s, {"0", "result 0 8 3\n", "abc"}},  // stored, 3 bytes
      {"inflate", "\x07", {"1", "result -1 1 0\n", "missing"}},
      // Input ran out: the lengths stay as given, the capacity being 64 MiB.
      {"inflate", "\1\3\0\374\377a"s, {"1", "result 2 6 67108864\n", "missing"}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(WriteWholeFile(in, std::vector<std::uint8_t>(c.input.begin(), c.input.end())),
              kErrorSuccess);
    const Outcome o = RunCli({c.command, Arg(in), Arg(out)});
    std::vector<std::uint8_t> written;
    const bool exists = ReadWholeFile(out, written) == kErrorSuccess;
    DeleteFileW(out);
    EXPECT_EQ((std::vector<std::string>{
                  std::to_string(o.status), o.out + o.err,
                  exists ? std::string(written.begin(), written.end()) : "missing"}),
              c.expected)
        << c.command;
  }
  for (const char* command : {"png-decode", "inflate"}) {
    const Outcome o = RunCli({command, Arg(folder / u"absent"), Arg(out)});
    EXPECT_EQ(o.status, cli::kExitRefused) << o;
    EXPECT_TRUE(o.out.empty() && o.err.find(Arg(folder / u"absent")) != std::string::npos) << o;
  }
}

}  // namespace
}  // namespace qv::test
