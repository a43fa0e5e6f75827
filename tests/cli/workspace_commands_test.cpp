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

struct Scratch {
  explicit Scratch(std::u16string_view name, std::u16string_view text = {})
      : path(qv::test::TempPath(name)) {
    qv::DeleteFileW(path);
    if (!text.empty()) qv::WriteWholeFile(path, qv::test::Utf16LeBytes(text, true));
  }
  ~Scratch() { qv::DeleteFileW(path); }
  std::string arg() const { return qv::Utf16ToUtf8(path); }
  bool exists() const {
    std::vector<std::uint8_t> bytes;
    return qv::ReadWholeFile(path, bytes) == 0;
  }
  const std::u16string path;
};

constexpr std::u16string_view kWorkspace =
    u"<Root><TaskList TaskListName='Hot \"Tasks\"' TaskListType='2' TaskListVisible='1'>"
    u"<TaskList><Task/><Task/></TaskList><LogLinks><LogLink LogListLinkName='Log'/></LogLinks>"
    u"</TaskList><LogList TaskListType='4'/><TaskList TaskListType='3' TaskListName='x'/>"
    u"</Root>";

TEST(WorkspaceCommands, CheckListsEachListWindow) {
  const Scratch file(u"ws-check.xml", kWorkspace);
  const Outcome o = RunCli({"workspace-check", file.arg()});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out,
            "result 0 No error\n"
            "list 2 1 2 1 \"Hot \\\"Tasks\\\"\"\n"
            "list 4 0 0 0 \"Log list 1\"\n");
}

TEST(WorkspaceCommands, RefusalsAndUsage) {
  const Scratch warned(u"ws-warned.xml", u"<Root><TaskList></Root>");
  const Scratch out(u"ws-never.xml");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  };
  const Case cases[] = {
      {{"workspace-check", warned.arg()}, 1, "result 1 Warning: Unmatched end tag\n"},
      {{"workspace-rewrite", warned.arg(), out.arg()}, 1, ""},
      {{"workspace-check"}, 2, ""},
      {{"workspace-rewrite", warned.arg()}, 2, ""},
  };
  for (const Case& c : cases) {
    const Outcome o = RunCli(c.args);
    EXPECT_EQ(o.status, c.status) << c.args[0];
    EXPECT_EQ(o.out, c.out) << c.args[0];
    EXPECT_FALSE(o.err.empty()) << c.args[0];
  }
  EXPECT_FALSE(out.exists());
}

TEST(WorkspaceCommands, RewriteSavesWithTheHeadlessFrame) {
  const Scratch in(u"ws-in.xml", kWorkspace);
  const Scratch out(u"ws-out.xml");
  ASSERT_EQ(RunCli({"workspace-rewrite", in.arg(), out.arg()}).status, 0);
  const qv::XmlNode root = qv::XmlNode::ParseFile(out.path, u"Root");
  ASSERT_EQ(root.ChildCount(), 3);  // the type-3 entry is not written back
  EXPECT_EQ(root.GetChildAt(1).GetName(), qv::XmlText(u"LogList"));
  const qv::XmlNode frame = root.GetChildAt(2);
  EXPECT_EQ(frame.GetAttribute(u"MainWindowPosCX"), qv::XmlText(u"800"));
  EXPECT_EQ(frame.GetAttribute(u"MainWindowPosCY"), qv::XmlText(u"600"));
  EXPECT_EQ(RunCli({"workspace-check", out.arg()}).out, RunCli({"workspace-check", in.arg()}).out);
}

}  // namespace
