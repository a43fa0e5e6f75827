#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/text.h"

namespace qv {
namespace {

using namespace std::string_literals;

const std::string kTemp = Utf16ToUtf8(TempFolder()) + "\\quorvane-cli-image-";

// A one-row PNG made by hand: a stored DEFLATE block, checksums zero (the reader skips them).
std::string Png(char colourType, char width, const std::string& row) {
  const auto n = static_cast<char>(row.size());
  return "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0"s + width + "\0\0\0\x01\x08"s + colourType +
         std::string(10, '\0') + static_cast<char>(n + 11) + "IDAT\x78\x01\x01"s + n + '\0' +
         static_cast<char>(~n) + '\xFF' + row + std::string(12, '\0') + "IEND\0\0\0\0"s;
}

// Status, printed text and the output file ("missing" when none was written).
std::vector<std::string> RunOn(const char* command, const std::string& input) {
  const std::u16string in = Utf8ToUtf16(kTemp + "in"), out = Utf8ToUtf16(kTemp + "out");
  EXPECT_EQ(WriteWholeFile(in, std::vector<std::uint8_t>(input.begin(), input.end())),
            kErrorSuccess);
  std::ostringstream printed;
  const int status = cli::Run({command, kTemp + "in", kTemp + "out"}, printed, printed);
  std::vector<std::uint8_t> written;
  const bool exists = ReadWholeFile(out, written) == kErrorSuccess;
  DeleteFileW(in);
  DeleteFileW(out);
  return {std::to_string(status), printed.str(),
          exists ? std::string(written.begin(), written.end()) : "missing"};
}

TEST(ImageCommands, PngDecodeAndInflateOutputs) {
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
      {"png-decode", Png(3, 1, "\0\0"s), {"1", "refused\n", "missing"}},
      {"inflate", "\1\3\0\374\377abcx"s, {"0", "result 0 8 3\n", "abc"}},  // stored, 3 bytes
      {"inflate", "\x07", {"1", "result -1 1 0\n", "missing"}},
      // Input ran out: the lengths stay as given, the capacity being 64 MiB.
      {"inflate", "\1\3\0\374\377a"s, {"1", "result 2 6 67108864\n", "missing"}},
  };
  for (const auto& c : cases) EXPECT_EQ(RunOn(c.command, c.input), c.expected) << c.command;
}

TEST(ImageCommands, UsageErrorsAndUnreadableInput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"png-decode", "a"}, {"inflate", "a", "b", "c"}}) {
    std::ostringstream out, usage, unreadable;
    EXPECT_EQ(cli::Run(args, out, usage), cli::kExitUsage);
    EXPECT_EQ(cli::Run({args[0], kTemp + "absent", kTemp + "out"}, out, unreadable),
              cli::kExitRefused);
    EXPECT_TRUE(out.str().empty() && usage.str().find("usage: " + args[0]) != std::string::npos &&
                unreadable.str().find(kTemp + "absent") != std::string::npos);
  }
}

}  // namespace
}  // namespace qv
