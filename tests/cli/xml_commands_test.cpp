#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/xml/xml_test_support.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = qv::cli::Run(args, out, err);
  return {status, out.str(), err.str()};
}

// A file in the temp folder, removed again when the test ends; the text is written as the
// program writes it, UTF-16 LE with FF FE.
struct ScratchFile {
  explicit ScratchFile(std::u16string_view name, std::u16string_view text = {})
      : path(qv::test::TempPath(name)) {
    if (!text.empty()) qv::WriteWholeFile(path, qv::test::Utf16LeBytes(text, true));
  }
  ~ScratchFile() { qv::DeleteFileW(path); }
  std::string arg() const { return qv::Utf16ToUtf8(path); }

  const std::u16string path;
};

TEST(XmlDump, ListsTheTreeWithJsonStrings) {
  const ScratchFile file(
      u"dump.xml",
      u"<?xml version=\"1.0\"?><Root a=\"q&quot;b\\s\" bare t='1&#9;2&#10;3&#13;'>"
      u"<!--c\x01\x7F--><A/>x &#xD800;y \u00E9\U0001F600</Root>");
  const Outcome r = RunCli({"xml-dump", file.arg()});
  EXPECT_EQ(r.status, qv::cli::kExitOk);
  EXPECT_EQ(r.out,
            "result 0 0 0 No error\n"
            "E \"Root\"\n"
            "  A \"a\" \"q\\\"b\\\\s\"\n"
            "  A \"bare\"\n"
            "  A \"t\" \"1\\t2\\n3\\r\"\n"
            "  C \"<!--\" \"c\\u0001\\u007f\" \"-->\"\n"
            "  E \"A\"\n"
            "  T \"x \\ud800y \u00E9\U0001F600\"\n");
  EXPECT_EQ(r.err, "");

  const Outcome declaration = RunCli({"xml-dump", file.arg(), "XML"});
  EXPECT_TRUE(declaration.out.starts_with(
      "result 0 0 0 No error\nD \"xml\"\n  A \"version\" \"1.0\"\n  E \"Root\"\n    A \"a\""))
      << declaration.out;
}

TEST(XmlDump, ReportsWarningsAndRefusals) {
  const ScratchFile warned(u"warned.xml", u"<Root><A>\n</Root>");
  const ScratchFile broken(u"broken.xml", u"<Root>\n <A b=></Root>");
  const struct {
    std::string path;
    int status;
    std::string out;
  } cases[] = {
      {warned.arg(), 0, "result 1 2 8 Warning: Unmatched end tag\nE \"Root\"\n  E \"A\"\n"},
      {broken.arg(), 1, "result 9 2 8 Error: Unexpected token found\n"},
      {ScratchFile(u"missing.xml").arg(), 1, "result 12 0 0 Error: File not found\n"},
  };
  for (const auto& c : cases) {
    const Outcome r = RunCli({"xml-dump", c.path});
    EXPECT_EQ(r.status, c.status) << c.path;
    EXPECT_EQ(r.out, c.out) << c.path;
    EXPECT_EQ(r.err.empty(), c.status == 0) << c.path;
  }
}

TEST(XmlRewrite, WritesWhatParsesAndRefusesTheRest) {
  const ScratchFile in(u"in.xml", u"<root><A   x='1'/>text</root>");
  const ScratchFile out(u"out.xml");
  EXPECT_EQ(RunCli({"xml-rewrite", in.arg(), out.arg()}).status, qv::cli::kExitOk);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(qv::ReadWholeFile(out.path, bytes), qv::kErrorSuccess);
  EXPECT_EQ(bytes, qv::test::Utf16LeBytes(u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n"
                                          u"<root>\n\t<A x=\"1\"/>\n\ttext\n</root>\n",
                                          true));

  const ScratchFile bad(u"bad.xml", u"<Root a=>");
  const ScratchFile notWritten(u"not-written.xml");
  const Outcome refused = RunCli({"xml-rewrite", bad.arg(), notWritten.arg()});
  EXPECT_EQ(refused.status, qv::cli::kExitRefused);
  EXPECT_NE(refused.err.find("Error: Unexpected token found"), std::string::npos);
  EXPECT_NE(qv::ReadWholeFile(notWritten.path, bytes), qv::kErrorSuccess);

  const Outcome unwritable =
      RunCli({"xml-rewrite", in.arg(), ScratchFile(u"no-folder\\x.xml").arg()});
  EXPECT_EQ(unwritable.status, qv::cli::kExitRefused);
  EXPECT_NE(unwritable.err.find("Error: unable to open file for writing"), std::string::npos);
}

TEST(XmlCommands, WrongArgumentCountsAreUsageErrors) {
  using Args = std::vector<std::string>;
  for (const Args& args : {Args{"xml-dump"}, Args{"xml-dump", "a", "b", "c"},
                           Args{"xml-rewrite", "a"}, Args{"xml-rewrite", "a", "b", "c"}}) {
    const Outcome r = RunCli(args);
    EXPECT_EQ(r.status, qv::cli::kExitUsage) << args.size();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage"), std::string::npos);
  }
}

}  // namespace
