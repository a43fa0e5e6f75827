#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace qv::test {
namespace {

TEST(XmlDump, TreesWarningsAndRefusals) {
  const ScratchFolder folder;
  WriteUtf16File(folder / u"dump.xml",
                 u"<?xml version=\"1.0\"?><Root a=\"q&quot;b\\s\" bare t='1&#9;2&#10;3&#13;'>"
                 u"<!--c\x01\x7F--><A/>x &#xD800;y \u00E9\U0001F600</Root>");
  WriteUtf16File(folder / u"warned.xml", u"<Root><A>\n</Root>");
  WriteUtf16File(folder / u"broken.xml", u"<Root>\n <A b=></Root>");
  const std::string ok = "result 0 0 0 No error\n";
  const struct {
    std::u16string file;
    std::string tag;
    int status;
    std::string out;  // the whole output, or its start for a tag other than Root
  } cases[] = {
      {u"dump.xml", "", 0,
       ok + "E \"Root\"\n  A \"a\" \"q\\\"b\\\\s\"\n  A \"bare\"\n  A \"t\" \"1\\t2\\n3\\r\"\n"
            "  C \"<!--\" \"c\\u0001\\u007f\" \"-->\"\n  E \"A\"\n"
            "  T \"x \\ud800y \u00E9\U0001F600\"\n"},
      {u"dump.xml", "XML", 0,
       ok + "D \"xml\"\n  A \"version\" \"1.0\"\n  E \"Root\"\n    A \"a\" \"q\\\"b\\\\s\"\n"},
      {u"warned.xml", "", 0, "result 1 2 8 Warning: Unmatched end tag\nE \"Root\"\n  E \"A\"\n"},
      {u"broken.xml", "", 1, "result 9 2 8 Error: Unexpected token found\n"},
      {u"missing.xml", "", 1, "result 12 0 0 Error: File not found\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"xml-dump", Arg(folder / c.file)};
    if (!c.tag.empty()) args.push_back(c.tag);
    const Outcome r = RunCli(args);
    EXPECT_EQ(r.status, c.status) << r;
    EXPECT_EQ(c.tag.empty() ? r.out : r.out.substr(0, c.out.size()), c.out) << r;
    EXPECT_EQ(r.err.empty(), c.status == 0) << r;
  }
}

TEST(XmlRewrite, WritesWhatParsesAndRefusesTheRest) {
  const ScratchFolder folder;
  const std::u16string in = folder / u"in.xml", out = folder / u"out.xml";
  WriteUtf16File(in, u"<root><A   x='1'/>text</root>");
  WriteUtf16File(folder / u"bad.xml", u"<Root a=>");
  EXPECT_EQ(RunCli({"xml-rewrite", Arg(in), Arg(out)}).status, cli::kExitOk);
  EXPECT_EQ(FileBytes(out), Utf16LeBytes(u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n"
                                         u"<root>\n\t<A x=\"1\"/>\n\ttext\n</root>\n",
                                         true));
  const struct {
    std::u16string in, out;
    std::string error;
  } refusals[] = {{u"bad.xml", u"not-written.xml", "Error: Unexpected token found"},
                  {u"in.xml", u"no-folder\\x.xml", "Error: unable to open file for writing"}};
  for (const auto& c : refusals) {
    const Outcome r = RunCli({"xml-rewrite", Arg(folder / c.in), Arg(folder / c.out)});
    EXPECT_EQ(r.status, cli::kExitRefused) << r;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r;
    EXPECT_TRUE(FileBytes(folder / c.out).empty()) << r;
  }
}

}  // namespace
}  // namespace qv::test
