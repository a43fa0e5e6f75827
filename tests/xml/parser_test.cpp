#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using namespace std::literals;
using test::Describe;
using E = XmlError;

bool IsAccepted(XmlError error) {
  return error == E::NoError || error == E::UnmatchedEndTagWarning;
}

TEST(XmlParse, EachCodeComesWithItsLineAndColumn) {
  const struct {
    std::u16string_view text;
    XmlError error;
    std::int32_t line;
    std::int32_t column;
    std::u16string_view tag = u"Root";
  } cases[] = {
      {u"<Root/>", E::NoError, 0, 0},
      {u"<root></ROOT>", E::NoError, 0, 0},
      // Root comes back with A closed by Root's end tag; the position is just after it.
      {u"<Root><A b='1'></Root>", E::UnmatchedEndTagWarning, 1, 23},
      {u"<Root>\n<A>\n", E::UnmatchedEndTagWarning, 3, 1},
      {u"<Root></Root></X>", E::UnmatchedEndTagWarning, 1, 18},
      {u"<?xml?><Root></Root></X>", E::UnmatchedEndTag, 1, 25},
      {u"<Root><Ab></A></Root>", E::UnmatchedEndTag, 1, 15},
      {u"<Root></Roots>", E::UnmatchedEndTag, 1, 15},
      // The text ends at its first zero character.
      {u"<Root>\0</Root>"sv, E::UnmatchedEndTagWarning, 1, 7},
      {u"<Root><>", E::MissingStartTagName, 1, 9},
      {u"<Root><", E::MissingStartTagName, 1, 8},
      {u"<Root></>", E::MissingEndTagName, 1, 10},
      {u"<Root></Root", E::MissingEndTagName, 1, 13},
      {u"<Root></Root =>", E::MissingEndTagName, 1, 15},
      {u"<Root><!-- open", E::UnmatchedClearTagEnd, 1, 11},
      {u"<Root><!DOCTYPE r [<!ENTITY e 'x'>", E::UnmatchedClearTagEnd, 1, 16},
      // The opening ignores case, the closing does not.
      {u"<Root><pre>x</pre></Root>", E::UnmatchedClearTagEnd, 1, 12},
      {u"<Root a=>", E::UnexpectedToken, 1, 10},
      {u"<Root <A/>", E::UnexpectedToken, 1, 8},
      // A carriage return is one more column; only line feeds start lines.
      {u"<Root>\r<A =/>", E::UnexpectedToken, 1, 12},
      {u"<Root>\n\t<A b=>\n", E::UnexpectedToken, 2, 8},
      {u" \r\n\t", E::FirstTagNotFound, 0, 0},
      {u"<A/>", E::FirstTagNotFound, 0, 0},
      {u"<Root><A></Root>", E::FirstTagNotFound, 0, 0, u"B"},
      {u"<Root/>", E::FirstTagNotFound, 0, 0, u""},
      {u"<Root a='&bogus;'/>", E::UnknownCharacterEntity, 1, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    XmlParseResult result{E::CannotWriteFile, 99, 99};
    const XmlNode node = XmlNode::ParseString(c.text, c.tag, &result);
    EXPECT_EQ(std::tuple(result.error, result.line, result.column),
              std::tuple(c.error, c.line, c.column));
    // A tree comes back exactly with success and the warning.
    EXPECT_EQ(node.IsEmpty(), !IsAccepted(c.error));
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
      {u"junk <X><Root/></X>", "<empty>"},
      // Attributes: bare names, quotes, declarations' question marks.
      {u"<Root a = '1>2' b=\"'\" c=x&amp;y d e=''/>", "Root[a='1>2',b=''',c='x&y',d,e='']()"},
      // A quote that meets "<" before its partner starts a plain text token.
      {u"<Root a=\"x/><B c=\"1\"/>", "Root[a='\"x']()"},
      {u"<?xml version=1.0 encoding=\"utf-16\"?>", "?xml[version='1.0',encoding='utf-16']()",
       u"xml"},
      {u"<?xml a ?>", "?xml[a]()", u"xml"},
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
       {u"&bogus;", u"&", u"x&#", u"&#;", u"&#x;", u"&#65", u"&#6a;", u"&#xG;", u"&lt", u"&amp"}) {
    cases.emplace_back(refused, std::nullopt);
  }
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

std::u16string Nested(int depth) {
  std::u16string text;
  for (int i = 0; i < depth; ++i) text += u"<a>";
  for (int i = 0; i < depth; ++i) text += u"</a>";
  return text;
}

TEST(XmlParse, NestingIsRefusedBeyondTheLimit) {
  XmlParseResult result;
  XmlNode node = XmlNode::ParseString(Nested(kXmlMaxNesting), u"a", &result);
  int depth = 0;
  for (; !node.IsEmpty(); node = node.GetChildAt(0)) ++depth;
  EXPECT_EQ(depth, kXmlMaxNesting);
  // Refused at the name of the first start tag too many.
  EXPECT_TRUE(XmlNode::ParseString(Nested(kXmlMaxNesting + 1), u"a", &result).IsEmpty());
  EXPECT_EQ(result.error, E::InvalidTag);
  EXPECT_EQ(result.column, 3 * kXmlMaxNesting + 3);

  std::u16string hostile;
  for (int i = 0; i < 1000000; ++i) hostile += u"<a>";
  EXPECT_TRUE(XmlNode::ParseString(hostile, u"a", &result).IsEmpty());
  EXPECT_EQ(result.error, E::InvalidTag);
}

constexpr std::u16string_view kDocument =
    u"<?xml version=\"1.0\"?>\r\n<R Name=\"\u00E9t\u00E9 \u20AC \U0001F600\">\r\n"
    u"\t<Task TaskDescr=\"caf\u00E9\"/>\r\n</R>\r\n";
constexpr char kTree[] = "R[Name='\u00E9t\u00E9 \u20AC \U0001F600'](Task[TaskDescr='caf\u00E9']())";

// The encoding is taken from the bytes; a missing file or a folder is not found.
TEST(XmlParse, FilesTakeTheEncodingFromTheBytes) {
  const struct {
    std::vector<std::uint8_t> bytes;
    std::string tree;
    XmlError error = E::NoError;
    std::int32_t column = 0;  // on line 1; a byte-order mark taken for text would move it
  } files[] = {
      {test::Utf16LeBytes(kDocument, true), kTree},
      {test::Utf16LeBytes(kDocument, false), kTree},
      {test::Utf8Bytes(kDocument, true), kTree},
      {test::Utf8Bytes(kDocument, false), kTree},
      // A stray last byte of a UTF-16 file becomes a character of its own.
      {{0xFF, 0xFE, '<', 0, 'R', 0, ' ', 0, 'a', 0, '=', 0, 'x'},
       "R[a='x']()",
       XmlError::UnmatchedEndTagWarning,
       7},
      // A bad UTF-8 sequence is one replacement character, not a failure.
      {{'<', 'R', ' ', 'a', '=', '"', 0xC3, '"', '/', '>'}, "R[a='\uFFFD']()"},
      // The text ends at a zero byte.
      {{'<', 'R', '/', '>', 0, '<', 'x'}, "R[]()"},
      {{0xEF, 0xBB, 0xBF}, "<empty>", XmlError::FirstTagNotFound},
      {test::Utf8Bytes(u"<R a=>", true), "<empty>", E::UnexpectedToken, 7},
      {{}, "<empty>", XmlError::NoXmlData},
  };
  const std::u16string path = test::TempPath(u"parse.xml");
  for (const auto& file : files) {
    ASSERT_EQ(WriteWholeFile(path, file.bytes), kErrorSuccess);
    XmlParseResult result{E::CannotWriteFile, 9, 9};
    EXPECT_EQ(Describe(XmlNode::ParseFile(path, u"R", &result)), file.tree) << &file - files;
    EXPECT_EQ(std::tuple(result.error, result.line, result.column),
              std::tuple(file.error, file.column > 0 ? 1 : 0, file.column))
        << &file - files;
  }
  DeleteFileW(path);
  for (const std::u16string& unreadable : {path, TempFolder()}) {
    XmlParseResult result{E::NoError, 7, 7};
    EXPECT_TRUE(XmlNode::ParseFile(unreadable, u"Root", &result).IsEmpty());
    EXPECT_EQ(std::tuple(result.error, result.line, result.column),
              std::tuple(E::FileNotFound, 0, 0));
  }
}

// Every cut and every single-unit corruption of a few valid documents either parses or is
// refused with a code; under AddressSanitizer this also proves no read leaves the text.
constexpr std::u16string_view kDocuments[] = {
    u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<Root>\n"
    u"\t<MainAppData KeepSize=\"1\" MainWindowPosX=\"10\"/>\n"
    u"\t<TaskList TaskListName=\"Hot &amp; new\" LogListLinkName='Log'>\n"
    u"\t\t<Task TaskDescr=\"a&#x41;&#66;&lt;\" Bare/>\n\t</TaskList>\n</Root>\n",
    u"<!DOCTYPE r [<!ENTITY e 'x'>]><Root a=b c><![CDATA[x]]><!--y--><PRE>z</PRE>"
    u"<Script>w</Script>text<A></a ></Root>",
    u"<Root><A><B></A>&quot;<?pi x?></Root>",
};

// Every character that means something to the tokeniser or the decoder, the end of the text, and
// units that are no characters.
constexpr char16_t kReplacements[] = {
    u'\0', u'<', u'>', u'/', u'?', u'"',  u'\'', u'=', u'&',   u'#',   u';',
    u'!',  u'[', u']', u'-', u' ', u'\n', u'x',  u'D', 0xD800, 0xFFFF,
};

// A code of the table, a tree exactly with success and the warning, a position inside the
// text; and what was read can be written and read again.
void ExpectSound(std::u16string_view text) {
  SCOPED_TRACE(Utf16ToUtf8(text));
  XmlParseResult result{XmlError::CannotWriteFile, -1, -1};
  const XmlNode node = XmlNode::ParseString(text, u"Root", &result);
  ASSERT_TRUE(result.error >= XmlError::NoError && result.error <= XmlError::Base64BufferTooSmall);
  ASSERT_EQ(node.IsEmpty(), !IsAccepted(result.error));
  const auto lines = static_cast<std::int32_t>(std::count(text.begin(), text.end(), u'\n'));
  ASSERT_TRUE(result.line >= 0 && result.line <= lines + 1);
  ASSERT_TRUE(result.column >= 0 && result.column <= static_cast<std::int32_t>(text.size()) + 1);
  if (node.IsEmpty()) return;
  std::u16string written(static_cast<std::size_t>(node.CreateText(nullptr, 0)), u'\0');
  node.CreateText(written.data(), 0);
  XmlNode::ParseString(written, u"Root", &result);
  ASSERT_LE(result.error, XmlError::Base64BufferTooSmall);
}

// Every prefix, and every copy with one unit replaced; stops at the first fatal failure so that
// one fault does not flood the log. Files with mutated bytes are the fuzz corpus's part.
TEST(XmlMutation, EveryCutAndCorruptedUnitParsesOrIsRefused) {
  for (const std::u16string_view document : kDocuments) {
    for (std::size_t length = 0; length <= document.size() && !HasFatalFailure(); ++length) {
      ExpectSound(document.substr(0, length));
    }
    std::u16string copy(document);
    for (std::size_t i = 0; i < copy.size() && !HasFatalFailure(); ++i) {
      for (const char16_t replacement : kReplacements) {
        copy[i] = replacement;
        ExpectSound(copy);
      }
      copy[i] = document[i];
    }
  }
}

}  // namespace
}  // namespace qv
