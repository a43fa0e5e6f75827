// The element tree and the writer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using test::Describe;

TEST(XmlTree, LookUpsIgnoreAsciiCaseAndFindTheFirstMatch) {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  root.AddChild(u"Other");
  XmlNode first = root.AddChild(u"MainAppData");
  root.AddChild(u"MAINAPPDATA");
  ASSERT_TRUE(root.AddAttribute(u"Bare", std::nullopt) && root.AddAttribute(u"bare", u"later") &&
              root.AddAttribute(u"\u00C9t\u00E9", u"accented"));
  EXPECT_EQ(root.GetChildByName(u"mainappdata"), first);
  EXPECT_TRUE(root.GetChildByName(u"MainAppDat").IsEmpty());
  // The first match decides, even when it is a bare name without value.
  EXPECT_EQ(root.GetAttribute(u"BARE"), std::nullopt);
  // Case folding is ASCII only, as _wcsicmp in the C locale.
  EXPECT_EQ(root.GetAttribute(u"\u00E9T\u00E9"), std::nullopt);
  EXPECT_EQ(root.GetAttribute(u"\u00C9T\u00E9"), u"accented");
  // The empty node stands for every missing element, so each operation must accept it.
  EXPECT_TRUE(root.AddChild(std::nullopt).IsEmpty());
  EXPECT_FALSE(root.AddAttribute(std::nullopt, u"value"));
  const XmlNode missing = root.GetChildAt(3);
  EXPECT_TRUE(missing.IsEmpty() && root.GetChildAt(-1).IsEmpty());
  EXPECT_TRUE(missing.GetChildByName(u"A").IsEmpty() && missing.GetParent().IsEmpty());
  EXPECT_EQ(missing.GetAttribute(u"a"), std::nullopt);
  EXPECT_EQ(missing.GetContentAt(0).index, -1);
  EXPECT_EQ(missing.CreateText(nullptr, 0), 0);
  // A child assigned over its parent's last handle survives the parent.
  root = root.GetChildAt(1);
  EXPECT_EQ(Describe(root), "MainAppData[]()");
  EXPECT_TRUE(root.GetParent().IsEmpty());
}

// Far deeper than any parse may make: freeing and writing must not recurse on the machine
// stack. The text would pass 2^31 characters, which CreateText reports as -1.
TEST(XmlTree, VeryDeepTreesAreWalkedAndFreedWithoutRecursion) {
  XmlNode root = XmlNode::CreateTopNode(u"a");
  XmlNode node = root;
  for (int i = 1; i < 100000; ++i) node = node.AddChild(u"a");
  node = XmlNode();
  EXPECT_EQ(root.CreateText(nullptr, 0), -1);
  root = XmlNode();
}

std::u16string TextOf(const XmlNode& node, std::int32_t level) {
  std::u16string text(static_cast<std::size_t>(node.CreateText(nullptr, level)), u'#');
  EXPECT_EQ(node.CreateText(text.data(), level), static_cast<std::int32_t>(text.size()));
  return text;
}

std::vector<std::uint8_t> Bytes(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), kErrorSuccess);
  return bytes;
}

// Escapes, a bare and an empty value, and a nameless attribute left out, one item a line.
TEST(XmlWrite, LaysOutOneItemPerLineWithTabs) {
  XmlNode root = XmlNode::CreateTopNode(u"Root");
  root.AddChild(u"MainAppData").AddAttribute(u"KeepSize", u"1");
  XmlNode list = root.AddChild(u"TaskList");
  list.AddAttribute(u"TaskListName", u"Hot & <new>");
  XmlNode task = list.AddChild(u"Task");
  task.AddAttribute(u"TaskDescr", u"say \"hi\"\nit's\tdone");
  task.AddAttribute(u"Bare", std::nullopt);
  task.AddAttribute(u"", u"skipped");
  task.AddAttribute(u"Empty", u"");
  const std::u16string text =
      u"<Root>\n\t<MainAppData KeepSize=\"1\"/>\n"
      u"\t<TaskList TaskListName=\"Hot &amp; &lt;new&gt;\">\n"
      u"\t\t<Task TaskDescr=\"say &quot;hi&quot;\nit&apos;s\tdone\" Bare Empty=\"\"/>\n"
      u"\t</TaskList>\n</Root>\n";
  EXPECT_EQ(TextOf(root, 0), text);
  EXPECT_EQ(TextOf(root.GetChildAt(0), 2), u"\t\t<MainAppData KeepSize=\"1\"/>\n");
  // A declaration adds no level; its own texts and clears still go one deeper.
  const XmlNode declaration = XmlNode::ParseString(
      u"<?xml v='1'?><!--top-->note<Root>t&amp;<!--c--><A/><![CDATA[x]]></Root>", u"xml");
  EXPECT_EQ(TextOf(declaration, 1),
            u"\t<?xml v=\"1\"?>\n\t\t<!--top-->\n\t\tnote\n"
            u"\t<Root>\n\t\tt&amp;\n\t\t<!--c-->\n\t\t<A/>\n\t\t<![CDATA[x]]>\n\t</Root>\n");

  // UTF-16 with its mark, after the declaration line: all that an empty tree writes.
  const std::u16string path = test::TempPath(u"written.xml"),
                       line = u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n";
  for (const auto& [tree, file] : {std::pair(root, line + text), std::pair(XmlNode(), line)}) {
    ASSERT_EQ(tree.WriteToFile(path), XmlError::NoError);
    EXPECT_EQ(Bytes(path), test::Utf16LeBytes(file, true));
  }
  DeleteFileW(path);
  EXPECT_EQ(root.WriteToFile(test::TempPath(u"no-such-folder\\x.xml")),
            XmlError::CannotOpenForWriting);
#ifndef _WIN32
  // The device accepts the open and refuses the data.
  EXPECT_EQ(root.WriteToFile(u"/dev/full"), XmlError::CannotWriteFile);
#endif
}

// Written as UTF-16 with its mark, read back and written again: the same tree and the same
// bytes. A declaration element's own start tag takes the place of the usual declaration line.
TEST(XmlWrite, RoundTripsKeepTreesAndBytes) {
  const struct {
    std::u16string text;
    std::u16string_view tag;
    std::u16string file = {};
  } documents[] = {
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
