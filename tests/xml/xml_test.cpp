// The element tree, the tolerant parser and the UTF-16 writer, on strings and on files. Cut and
// corrupted documents are the fuzz harness's part, run over its corpus in every native build.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv::test {
namespace {

using namespace std::literals;
using E = XmlError;

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
  EXPECT_TRUE(!missing.GetAttribute(u"a") && missing.GetContentAt(0).index == -1 &&
              missing.CreateText(nullptr, 0) == 0);
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

// Escapes, a bare and an empty value, and a nameless attribute left out, one item a line; and
// files that read back as the trees written.
TEST(XmlWrite, LaysOutOneItemPerLineWithTabsAndReadsBack) {
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
  // A declaration adds no level; its own texts and clears still go one deeper.
  const XmlNode declaration = XmlNode::ParseString(
      u"<?xml v='1'?><!--top-->note<Root>t&amp;<!--c--><A/><![CDATA[x]]></Root>", u"xml");
  EXPECT_EQ(TextOf(declaration, 1),
            u"\t<?xml v=\"1\"?>\n\t\t<!--top-->\n\t\tnote\n"
            u"\t<Root>\n\t\tt&amp;\n\t\t<!--c-->\n\t\t<A/>\n\t\t<![CDATA[x]]>\n\t</Root>\n");

  // UTF-16 with its mark, after the declaration line: all that an empty tree writes. A
  // declaration element's own start tag takes that line's place. A long text reaches the file
  // in pieces, whole.
  const std::u16string path = TempPath(u"written.xml"),
                       line = u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n", many(600'000, u'x');
  const std::pair<XmlNode, std::u16string> files[] = {
      {root, line + text},
      {XmlNode::ParseString(u"<R><a/>" + many + u"<b/></R>", u"R"),
       line + u"<R>\n\t<a/>\n\t" + many + u"\n\t<b/>\n</R>\n"},
      {XmlNode(), line},
      {XmlNode::ParseString(u"<?xml version=\"1.0\"?><?style x?><Root/>", u"xml"),
       u"<?xml version=\"1.0\"?>\n<?style x?>\n<Root/>\n"}};
  for (const auto& [tree, file] : files) {
    ASSERT_EQ(tree.WriteToFile(path), XmlError::NoError);
    EXPECT_EQ(Bytes(path), Utf16LeBytes(file, true));
  }
  // Read back and written again: the same tree and the same bytes.
  const XmlNode rich = XmlNode::ParseString(
      u"<Root a='&#x1F600; \u00E9\u20AC' b='x&#10;y' c>"
      u"<!DOCTYPE r [<!ENTITY e 'x'>]><!DOCTYPE s><![CDATA[ <raw> & ]]><!-- note -->"
      u"<PRE> a\n b </PRE><Script>x</Script>one &amp; two<A><B/>three</A></Root>",
      u"Root");
  ASSERT_EQ(rich.WriteToFile(path), XmlError::NoError);
  const std::vector<std::uint8_t> written = Bytes(path);
  const XmlNode reread = XmlNode::ParseFile(path, u"Root");
  EXPECT_EQ(Describe(reread), Describe(rich));
  ASSERT_EQ(reread.WriteToFile(path), XmlError::NoError);
  EXPECT_EQ(Bytes(path), written);
  DeleteFileW(path);
  EXPECT_EQ(root.WriteToFile(TempPath(u"no-such-folder\\x.xml")), E::CannotOpenForWriting);
#ifndef _WIN32
  // The device accepts the open and refuses the data.
  EXPECT_EQ(root.WriteToFile(u"/dev/full"), E::CannotWriteFile);
#endif
}

TEST(XmlParse, EachCodeComesWithItsLineAndColumn) {
  std::u16string deep = u"<Root>";  // as deep as may be
  for (int depth = 1; depth < kXmlMaxNesting; ++depth) deep += u"<a>";
  const std::u16string deeper = deep + u"<a>";
  const std::tuple<std::u16string_view, XmlError, std::int32_t, std::int32_t> cases[] = {
      {u"<root></ROOT>", E::NoError, 0, 0},
      // Root comes back with A closed by Root's end tag; the position is just after it.
      {u"<Root><A b='1'></Root>", E::UnmatchedEndTagWarning, 1, 23},
      {u"<Root>\n<A>\n", E::UnmatchedEndTagWarning, 3, 1},
      {u"<Root><Ab></A></Root>", E::UnmatchedEndTag, 1, 15},
      // The text ends at its first zero character.
      {u"<Root>\0</Root>"sv, E::UnmatchedEndTagWarning, 1, 7},
      {u"<Root><>", E::MissingStartTagName, 1, 9},
      {u"<Root></>", E::MissingEndTagName, 1, 10},
      {u"<Root></Root =>", E::MissingEndTagName, 1, 15},
      {u"<Root><!-- open", E::UnmatchedClearTagEnd, 1, 11},
      // The opening ignores case, the closing does not.
      {u"<Root><pre>x</pre></Root>", E::UnmatchedClearTagEnd, 1, 12},
      // A carriage return is one more column; only line feeds start lines.
      {u"<Root>\r<A =/>", E::UnexpectedToken, 1, 12},
      {u"<Root>\n\t<A b=>\n", E::UnexpectedToken, 2, 8},
      {u"<A/>", E::FirstTagNotFound, 0, 0},
      {u"<Root a='&bogus;'/>", E::UnknownCharacterEntity, 1, 18},
      // Nesting is refused at the name of the first start tag too many, which pins the limit.
      {deep, E::UnmatchedEndTagWarning, 1, 3 * kXmlMaxNesting + 4},
      {deeper, E::InvalidTag, 1, 3 * kXmlMaxNesting + 6},
  };
  for (const auto& [text, error, line, column] : cases) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    XmlParseResult result{E::CannotWriteFile, 99, 99};
    const XmlNode node = XmlNode::ParseString(text, u"Root", &result);
    EXPECT_EQ(std::tuple(result.error, result.line, result.column),
              std::tuple(error, line, column));
    // A tree comes back exactly with success and the warning.
    EXPECT_EQ(node.IsEmpty(), error != E::NoError && error != E::UnmatchedEndTagWarning);
  }
  XmlParseResult result;
  EXPECT_TRUE(XmlNode::ParseString(std::nullopt, u"Root", &result).IsEmpty());
  EXPECT_EQ(result.error, E::NoElements);
  EXPECT_EQ(XmlErrorText(15), u"Error: unable to convert between UNICODE and MultiByte chars");
  EXPECT_EQ(XmlErrorText(22), u"Unknown");
}

TEST(XmlParse, DocumentsBecomeTheirTrees) {
  const struct {
    std::u16string_view text;
    std::string tree;
    std::u16string_view tag = u"Root";
  } cases[] = {
      // Choosing the element: through declarations, and in a lone top element.
      {u"<?xml version=\"1.0\"?>\n<?b?><Root>\n</Root>\n", "Root[]()"},
      {u"junk <X/><Root/>", "Root[]()", u"root"},
      {u"<?a?><Other><Root/></Other>", "<empty>"},
      {u"<X><Root/></X>", "Root[]()"},
      // Attributes: bare names, quotes, declarations' question marks.
      {u"<Root a = '1>2' b=\"'\" c=x&amp;y d e=''/>", "Root[a='1>2',b=''',c='x&y',d,e='']()"},
      // A quote that meets "<" before its partner starts a plain text token.
      {u"<Root a=\"x/><B c=\"1\"/>", "Root[a='\"x']()"},
      {u"<?xml version=1.0 encoding=\"utf-16\"?>", "?xml[version='1.0',encoding='utf-16']()",
       u"xml"},
      // Content: trimmed texts, end-tag repair, an element cut off inside its start tag.
      {u"<Root>\n\t  one  two \r\n</Root> dropped", "Root[](T'one  two')"},
      {u"<Root>a<B/>b<!--c-->d &lt;e&gt;</Root>", "Root[](T'a',B[](),T'b',C<!--|c|-->,T'd <e>')"},
      {u"<Root><A><B></A><C/></Root>", "Root[](A[](B[]()),C[]())"},
      {u"<Root><A x='1'", "Root[](A[x='1']())"},
      // Clear sections, kept verbatim.
      {u"<Root><!DOCTYPE r [<!ENTITY e 'x'>]><!doctype s SYSTEM 'a'></Root>",
       "Root[](C<!DOCTYPE| r [<!ENTITY e 'x'>|]>,C<!DOCTYPE| s SYSTEM 'a'|>)"},
      {u"<Root><![CDATA[]]><![cdata[<a>&amp;]]]></Root>",
       "Root[](C<![CDATA[||]]>,C<![CDATA[|<a>&amp;]|]]>)"},
      {u"<Root><PRE>a < b</PRE><script>if (a<b) {}</Script><!----></Root>",
       "Root[](C<PRE>|a < b|</PRE>,C<Script>|if (a<b) {}|</Script>,C<!--||-->)"},
  };
  for (const auto& c : cases) {
    // The element outlives the rest of the parse, which it no longer reaches.
    const XmlNode node = XmlNode::ParseString(c.text, c.tag);
    EXPECT_EQ(Describe(node), c.tree) << Utf16ToUtf8(c.text);
    EXPECT_TRUE(node.GetParent().IsEmpty());
  }
}

// Each raw form goes in a text and in an attribute value; no decoded value means refused.
TEST(XmlParse, EntitiesDecodeInTextsAndValues) {
  std::vector<std::pair<std::u16string_view, XmlText>> cases = {
      {u"a&lt;&#65;&#x42;&AMP;&quot;b&apos;c&gt;&Lt;&#X4a;&#0010;", u"a<AB&\"b'c><J\n"},
      // Beyond 16 bits a reference is a surrogate pair, not a cut-off value.
      {u"&#x1F600;&#xD800;", u"\U0001F600\xD800"},
      // A zero would end the text once written; out-of-range values are no character.
      {u"&#0;&#x110000;&#99999999999999999999;", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const char16_t* refused :
       {u"&bogus;", u"&", u"x&#", u"&#;", u"&#x;", u"&#65", u"&#6a;", u"&#xG;", u"&lt", u"&amp"})
    cases.emplace_back(refused, std::nullopt);
  for (const auto& [raw, decoded] : cases) {
    for (const std::u16string& document : {u"<Root>" + std::u16string(raw) + u"</Root>",
                                           u"<Root a=\"" + std::u16string(raw) + u"\"/>"}) {
      XmlParseResult result;
      const XmlNode root = XmlNode::ParseString(document, u"Root", &result);
      EXPECT_EQ(root.Texts().empty() ? root.GetAttribute(u"a") : root.Texts()[0], decoded)
          << Utf16ToUtf8(document);
      EXPECT_EQ(result.error, decoded ? E::NoError : E::UnknownCharacterEntity);
    }
  }
}

constexpr std::u16string_view kDocument =
    u"<?xml version=\"1.0\"?>\r\n<R Name=\"\u00E9t\u00E9 \u20AC \U0001F600\">\r\n"
    u"\t<Task TaskDescr=\"caf\u00E9\"/>\r\n</R>\r\n";
constexpr char kTree[] = "R[Name='\u00E9t\u00E9 \u20AC \U0001F600'](Task[TaskDescr='caf\u00E9']())";

// The encoding is taken from the bytes; a missing file is not found.
TEST(XmlParse, FilesTakeTheEncodingFromTheBytes) {
  const struct {
    std::vector<std::uint8_t> bytes;
    std::string tree;
    XmlError error = E::NoError;
    std::int32_t column = 0;  // on line 1; a byte-order mark taken for text would move it
  } files[] = {
      {Utf16LeBytes(kDocument, true), kTree},
      {Utf16LeBytes(kDocument, false), kTree},
      {Utf8Bytes(kDocument, true), kTree},
      {Utf8Bytes(kDocument, false), kTree},
      {{0xFF, 0xFE, '<', 0, 'R', 0, '/', 0, '>'}, "R[]()"},  // a stray last byte is a character
      // The text ends at a zero byte.
      {{'<', 'R', '/', '>', 0, '<', 'x'}, "R[]()"},
      {{0xEF, 0xBB, 0xBF}, "<empty>", E::FirstTagNotFound},
      {Utf8Bytes(u"<R a=>", true), "<empty>", E::UnexpectedToken, 7},
      {{}, "<empty>", E::NoXmlData},
      {{}, "<empty>", E::FileNotFound},  // the file deleted
  };
  const std::u16string path = TempPath(u"parse.xml");
  for (const auto& file : files) {
    const bool missing = file.error == E::FileNotFound;
    ASSERT_EQ(missing ? DeleteFileW(path) : WriteWholeFile(path, file.bytes), kErrorSuccess);
    XmlParseResult result{E::CannotWriteFile, 9, 9};
    EXPECT_EQ(Describe(XmlNode::ParseFile(path, u"R", &result)), file.tree) << &file - files;
    EXPECT_EQ(std::tuple(result.error, result.line, result.column),
              std::tuple(file.error, file.column > 0 ? 1 : 0, file.column))
        << &file - files;
  }
}

}  // namespace
}  // namespace qv::test
