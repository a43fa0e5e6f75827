#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using test::Describe;

std::u16string TextOf(const XmlNode& node, std::int32_t level) {
  std::u16string text(static_cast<std::size_t>(node.CreateText(nullptr, level)), u'#');
  EXPECT_EQ(node.CreateText(text.data(), level), static_cast<std::int32_t>(text.size()));
  return text;
}

XmlNode Workspace() {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  root.AddChild(u"MainAppData").AddAttribute(u"KeepSize", u"1");
  XmlNode list = root.AddChild(u"TaskList");
  list.AddAttribute(u"TaskListName", u"Hot & <new>");
  XmlNode task = list.AddChild(u"Task");
  task.AddAttribute(u"TaskDescr", u"say \"hi\"\nit's\tdone");
  task.AddAttribute(u"Bare", std::nullopt);
  task.AddAttribute(u"", u"skipped");
  task.AddAttribute(u"Empty", u"");
  root.AddChild(u"LogList");
  return root;
}

constexpr std::u16string_view kWorkspaceText =
    u"<Root>\n"
    u"\t<MainAppData KeepSize=\"1\"/>\n"
    u"\t<TaskList TaskListName=\"Hot &amp; &lt;new&gt;\">\n"
    u"\t\t<Task TaskDescr=\"say &quot;hi&quot;\nit&apos;s\tdone\" Bare Empty=\"\"/>\n"
    u"\t</TaskList>\n"
    u"\t<LogList/>\n"
    u"</Root>\n";

TEST(XmlWrite, LaysOutOneItemPerLineWithTabs) {
  EXPECT_EQ(TextOf(Workspace(), 0), kWorkspaceText);
  EXPECT_EQ(TextOf(Workspace().GetChildAt(0), 2), u"\t\t<MainAppData KeepSize=\"1\"/>\n");
  // A declaration adds no level; its own texts and clears still go one deeper.
  const XmlNode declaration = XmlNode::ParseString(
      u"<?xml v='1'?><!--top-->note<Root>t&amp;<!--c--><A/><![CDATA[x]]></Root>", u"xml");
  EXPECT_EQ(TextOf(declaration, 1),
            u"\t<?xml v=\"1\"?>\n\t\t<!--top-->\n\t\tnote\n"
            u"\t<Root>\n\t\tt&amp;\n\t\t<!--c-->\n\t\t<A/>\n\t\t<![CDATA[x]]>\n\t</Root>\n");
}

std::vector<std::uint8_t> Bytes(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), kErrorSuccess);
  return bytes;
}

constexpr std::u16string_view kDeclarationLine = u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n";

TEST(XmlWrite, FilesFailCleanlyAndAnEmptyTreeIsJustTheDeclaration) {
  const std::u16string path = test::TempPath(u"empty.xml");
  ASSERT_EQ(XmlNode().WriteToFile(path), XmlError::NoError);
  EXPECT_EQ(Bytes(path), test::Utf16LeBytes(kDeclarationLine, true));
  DeleteFileW(path);
  EXPECT_EQ(Workspace().WriteToFile(test::TempPath(u"no-such-folder\\x.xml")),
            XmlError::CannotOpenForWriting);
#ifndef _WIN32
  // The device accepts the open and refuses the data.
  EXPECT_EQ(Workspace().WriteToFile(u"/dev/full"), XmlError::CannotWriteFile);
#endif
}

// Written as UTF-16 with its mark, read back and written again: the same tree and the same bytes.
// A declaration element's own start tag takes the place of the usual declaration line.
TEST(XmlWrite, RoundTripsKeepTreesAndBytes) {
  const struct {
    std::u16string text;
    std::u16string_view tag;
    std::u16string file = {};
  } documents[] = {
      {std::u16string(kWorkspaceText), u"Root",
       std::u16string(kDeclarationLine) + std::u16string(kWorkspaceText)},
      {u"<Root a='&#x1F600; \u00E9\u20AC' b='x&#10;y' c>"
       u"<!DOCTYPE r [<!ENTITY e 'x'>]><!DOCTYPE s><![CDATA[ <raw> & ]]><!-- note -->"
       u"<PRE> a\n b </PRE><Script>x</Script>one &amp; two<A><B/>three</A></Root>",
       u"Root"},
      {u"<?xml version=\"1.0\"?><?style x?><Root/>", u"xml",
       u"<?xml version=\"1.0\"?>\n<?style x?>\n<Root/>\n"},
  };
  const std::u16string first = test::TempPath(u"round1.xml");
  const std::u16string second = test::TempPath(u"round2.xml");
  for (const auto& document : documents) {
    SCOPED_TRACE(Utf16ToUtf8(document.text));
    const XmlNode original = XmlNode::ParseString(document.text, document.tag);
    ASSERT_EQ(original.WriteToFile(first), XmlError::NoError);
    if (!document.file.empty()) {
      EXPECT_EQ(Bytes(first), test::Utf16LeBytes(document.file, true));
    }
    XmlParseResult result;
    const XmlNode reread = XmlNode::ParseFile(first, document.tag, &result);
    EXPECT_EQ(result.error, XmlError::NoError);
    EXPECT_EQ(Describe(reread), Describe(original));
    ASSERT_EQ(reread.WriteToFile(second), XmlError::NoError);
    EXPECT_EQ(Bytes(second), Bytes(first));
  }
  DeleteFileW(first);
  DeleteFileW(second);
}

}  // namespace
}  // namespace qv
