// The command-line layer: arguments, exit statuses and output formats. What the parser, the
// decoders and the reports make of their input is tested in their own folders.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/workspace/workspace_test_support.h"

namespace qv::test {
namespace {

using namespace std::string_literals;

// The exit status, standard output and standard error.
using Outcome = std::tuple<int, std::string, std::string>;

Outcome RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

// A one-row PNG made by hand: a stored DEFLATE block, checksums zero (the reader skips them).
std::string Png(char colourType, char width, const std::string& row) {
  const auto n = static_cast<char>(row.size());
  return "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0"s + width + "\0\0\0\x01\x08"s + colourType +
         std::string(10, '\0') + static_cast<char>(n + 11) + "IDAT\x78\x01\x01"s + n + '\0' +
         static_cast<char>(~n) + '\xFF' + row + std::string(12, '\0') + "IEND\0\0\0\0"s;
}

// What the commands read, in the running test's scratch folder.
struct Inputs : ScratchFolder {
  Inputs() {
    WriteUtf16File(
        *this / u"ws.xml",
        u"<Root><TaskList TaskListName='Hot \"Tasks\"' TaskListType='2' "
        u"TaskListVisible='1'><TaskList><Task/><Task/></TaskList><LogLinks>"
        u"<LogLink LogListLinkName='My logger'/></LogLinks></TaskList>"
        u"<LogList TaskListName='My logger' TaskListType='4'><TaskList>"
        u"<Task TaskDescr='Crème &lt;b&gt;' TaskState='1'/></TaskList></LogList></Root>");
    WriteUtf16File(*this / u"dump.xml",
                   u"<Root a=\"q&quot;b\\s\" bare t='1&#9;2&#10;3&#13;'>"
                   u"<!--c\x01\x7F--><A/>x &#xD800;y \u00E9\U0001F600</Root>");
    WriteUtf16File(*this / u"warned.xml", u"<?xml v='1'?><Root><A>\n</Root>");
    WriteUtf16File(*this / u"broken.xml", u"<Root>\n <A b=></Root>");
    // Sub filter: the second pixel gains the first.
    Write(u"rgba.png", Png(6, 2, "\x01\x0A\x14\x1E\x28\x05\x05\x05\x05"));
    Write(u"palette.png", Png(3, 1, "\0\0"s));
    Write(u"raw", "\1\3\0\374\377abcx"s);  // a stored block of 3 bytes, then one more
    Write(u"cut", "\1\3\0\374\377a"s);
  }
  void Write(const char16_t* name, const std::string& bytes) const {
    ASSERT_EQ(WriteWholeFile(*this / name, std::vector<std::uint8_t>(bytes.begin(), bytes.end())),
              kErrorSuccess);
  }
  std::string operator[](const char16_t* name) const { return Utf16ToUtf8(*this / name); }
};

// --version is checked on the real program by the cli_program_version test.
TEST(Cli, HelpSucceedsAndUsageErrorsExitTwo) {
  const Outcome help = RunCli({"--help"});
  EXPECT_EQ(help, (Outcome{cli::kExitOk, std::get<1>(help), ""}));
  EXPECT_NE(std::get<1>(help).find("\nExit status: 0 success, 1 input refused, 2 usage error.\n"),
            std::string::npos);
  for (const char* flag : {"-h", "help"}) EXPECT_EQ(RunCli({flag}), help);
  const std::pair<std::vector<std::string>, std::string> usage[] = {
      {{}, "no command given; try --help"},
      {{"--Version"}, "unknown command '--Version'; try --help"},
      {{"xml-dump"}, "usage: xml-dump FILE [TAG]"},
      {{"export", "rtf", "ws", "title", "dir"},
       "usage: export html|text|pdf WORKSPACE TITLE OUTDIR"},
  };
  for (const auto& [args, err] : usage) {
    EXPECT_EQ(RunCli(args), (Outcome{cli::kExitUsage, "", "quorvane-cli: " + err + "\n"}));
  }
}

// Exit 0 and the printed lines; the samples file holds the rows without their filter bytes.
TEST(Cli, CommandsPrintTheirResults) {
  const Inputs in;
  const std::string out = in[u"out"];
  const struct {
    std::vector<std::string> args;
    std::string printed, written = "";
  } cases[] = {
      {{"png-decode", in[u"rgba.png"], out}, "2 1 4\n", "\x0A\x14\x1E\x28\x0F\x19\x23\x2D"},
      {{"inflate", in[u"raw"], out}, "result 0 8 3\n", "abc"},
      // Names, texts and comments are quoted with JSON escapes; children are indented by two.
      {{"xml-dump", in[u"dump.xml"]},
       "result 0 0 0 No error\nE \"Root\"\n  A \"a\" \"q\\\"b\\\\s\"\n  A \"bare\"\n"
       "  A \"t\" \"1\\t2\\n3\\r\"\n  C \"<!--\" \"c\\u0001\\u007f\" \"-->\"\n  E \"A\"\n"
       "  T \"x \\ud800y \u00E9\U0001F600\"\n"},
      {{"workspace-check", in[u"ws.xml"]},
       "result 0 No error\nlist 2 1 2 1 \"Hot \\\"Tasks\\\"\"\nlist 4 0 1 0 \"My logger\"\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunCli(c.args), (Outcome{cli::kExitOk, c.printed, ""}));
    const std::vector<std::uint8_t> written = FileBytes(in / u"out");
    EXPECT_EQ(std::string(written.begin(), written.end()), c.written) << c.args[0];
    DeleteFileW(in / u"out");
  }
}

TEST(Cli, RewritesReadBackAsTheOriginalsAndExportsWriteEachFormat) {
  const Inputs in;
  EXPECT_EQ(RunCli({"xml-rewrite", in[u"dump.xml"], in[u"out.xml"]}), (Outcome{0, "", ""}));
  EXPECT_EQ(RunCli({"xml-dump", in[u"out.xml"]}), RunCli({"xml-dump", in[u"dump.xml"]}));
  EXPECT_EQ(RunCli({"workspace-rewrite", in[u"ws.xml"], in[u"out.xml"]}), (Outcome{0, "", ""}));
  EXPECT_EQ(RunCli({"workspace-check", in[u"out.xml"]}),
            RunCli({"workspace-check", in[u"ws.xml"]}));

  const std::tuple<const char*, const char16_t*, std::string> formats[] = {
      {"html", u"My logger.html", "\xFF\xFE<\0h\0"s},  // the file's first bytes
      {"text", u"My logger.txt", "\xFF\xFE\t\0M\0"s},
      {"pdf", u"My logger.pdf", "%PDF-"}};
  for (const auto& [format, file, start] : formats) {
    EXPECT_EQ(RunCli({"export", format, in[u"ws.xml"], "My logger", Utf16ToUtf8(in.path)}),
              (Outcome{0, PathForDisplay(in / file) + "\n", ""}));
    const std::vector<std::uint8_t> bytes = FileBytes(in / file);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind(start, 0), 0u) << format;
  }
#ifndef _WIN32
  EXPECT_TRUE(TakeOpenRequests().empty());
#endif
}

// Exit 1 with "quorvane-cli: COMMAND: " and the reason on standard error, and no output
// written. Whatever code the system gives for it, a folder where a file belongs is called a
// folder, going in or out.
TEST(Cli, RefusalsSayWhyAndWriteNothing) {
  const Inputs in;
  const std::string dir = Utf16ToUtf8(in.path), out = in[u"out"], missing = in[u"missing"];
  const std::string ws = in[u"ws.xml"], broken = in[u"broken.xml"], warned = in[u"warned.xml"];
  const std::string palette = in[u"palette.png"], folder = dir + ": is a folder, not a file";
  const struct {
    std::vector<std::string> args;
    std::string reason, printed = "";
  } cases[] = {
      {{"xml-dump", dir}, folder, "result 12 0 0 Error: File not found\n"},
      {{"xml-dump", broken},
       broken + ": Error: Unexpected token found (line 2, column 8)",
       "result 9 2 8 Error: Unexpected token found\n"},
      {{"png-decode", palette, out},
       palette + ": refused: not 8-bit RGB or RGBA without interlacing"},
      {{"inflate", missing, out}, missing + ": cannot read (error 2)"},
      // Input ran out: the lengths stay as given, the capacity being 64 MiB.
      {{"inflate", in[u"cut"], out}, "", "result 2 6 67108864\n"},
      {{"workspace-check", warned},
       warned + ": Warning: Unmatched end tag",
       "result 1 Warning: Unmatched end tag\n"},
      {{"workspace-rewrite", ws, dir}, folder},
      {{"export", "html", ws, "my logger", dir}, "no list window titled 'my logger'"},
      {{"export", "text", ws, "My logger", missing},
       missing + ": cannot write the report (result 6)"},
  };
  for (const auto& c : cases) {
    const std::string err =
        c.reason.empty() ? "" : "quorvane-cli: " + c.args[0] + ": " + c.reason + "\n";
    EXPECT_EQ(RunCli(c.args), (Outcome{cli::kExitRefused, c.printed, err}));
    EXPECT_TRUE(FileBytes(in / u"out").empty()) << c.args[0];
  }
}

}  // namespace
}  // namespace qv::test
