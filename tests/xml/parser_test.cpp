#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using namespace std::literals;
using test::Describe;
using E = XmlError;

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
      {u"<Root \"a\">", E::UnexpectedToken, 1, 10},
      {u"<Root <A/>", E::UnexpectedToken, 1, 8},
      // A carriage return is one more column; only line feeds start lines.
      {u"<Root>\r<A =/>", E::UnexpectedToken, 1, 12},
      {u"<Root>\n\t<A b=>\n", E::UnexpectedToken, 2, 8},
      {u" \r\n\t", E::FirstTagNotFound, 0, 0},
      {u"<A/>", E::FirstTagNotFound, 0, 0},
      {u"<Root><A></Root>", E::FirstTagNotFound, 0, 0, u"B"},
      {u"<Root/>", E::FirstTagNotFound, 0, 0, u""},
      {u"<Root a='&bogus;'/>", E::UnknownCharacterEntity, 1, 18},
      {u"<Root>&#xZZ;</Root>", E::UnknownCharacterEntity, 1, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    XmlParseResult result{E::CannotWriteFile, 99, 99};
    const XmlNode node = XmlNode::ParseString(c.text, c.tag, &result);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.line, c.line);
    EXPECT_EQ(result.column, c.column);
    // A tree comes back exactly with success and the warning.
    EXPECT_EQ(node.IsEmpty(), c.error != E::NoError && c.error != E::UnmatchedEndTagWarning);
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
      {u"<?xml a?>", "?xml[a]()", u"xml"},
      {u"<?xml a ?>", "?xml[a]()", u"xml"},
      // Content: trimmed texts, end-tag repair, an element cut off inside its start tag.
      {u"<Root>\n\t  one  two \r\n</Root> dropped", "Root[](T'one  two')"},
      {u"<Root>a<B/>b<!--c-->d &lt;e&gt;</Root>", "Root[](T'a',B[](),T'b',C<!--|c|-->,T'd <e>')"},
      {u"<Root><A><B></A><C/></Root>", "Root[](A[](B[]()),C[]())"},
      {u"<Root><A></a ></Root>", "Root[](A[]())"},
      {u"<Root><A x='1'", "Root[](A[x='1']())"},
      // Clear sections, kept verbatim.
      {u"<Root><!DOCTYPE r [<!ENTITY e 'x'>]><!doctype s SYSTEM 'a'></Root>",
       "Root[](C<!DOCTYPE| r [<!ENTITY e 'x'>|]>,C<!DOCTYPE| s SYSTEM 'a'|>)"},
      {u"<Root><![CDATA[]]><![cdata[<a>&amp;]]]></Root>",
       "Root[](C<![CDATA[||]]>,C<![CDATA[|<a>&amp;]|]]>)"},
      {u"<Root><PRE>a < b</PRE><script>if (a<b) {}</Script><!----></Root>",
       "Root[](C<PRE>|a < b|</PRE>,C<Script>|if (a<b) {}|</Script>,C<!--||-->)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Describe(XmlNode::ParseString(c.text, c.tag)), c.tree) << Utf16ToUtf8(c.text);
}

// Each raw form goes in a text and in an attribute value; no decoded value means refused.
TEST(XmlParse, EntitiesDecodeInTextsAndValues) {
  const struct {
    std::u16string_view raw;
    XmlText decoded;
  } cases[] = {
      {u"a&lt;&#65;&#x42;&AMP;&quot;b&apos;c&gt;&Lt;&#X4a;&#0010;", u"a<AB&\"b'c><J\n"},
      // Beyond 16 bits a reference is a surrogate pair, not a cut-off value.
      {u"&#x1F600;&#xD800;", u"\U0001F600\xD800"},
      // A zero would end the text once written; out-of-range values are no character.
      {u"&#0;&#x110000;&#99999999999999999999;", u"\uFFFD\uFFFD\uFFFD"},
      {u"&bogus;", {}},
      {u"&", {}},
      {u"x&#", {}},
      {u"&#;", {}},
      {u"&#x;", {}},
      {u"&#65", {}},
      {u"&#6a;", {}},
      {u"&#xG;", {}},
      {u"&lt", {}},
      {u"&amp", {}},
  };
  for (const auto& c : cases) {
    const std::u16string raw(c.raw);
    for (const std::u16string& document :
         {u"<Root>" + raw + u"</Root>", u"<Root a=\"" + raw + u"\"/>"}) {
      XmlParseResult result;
      const XmlNode root = XmlNode::ParseString(document, u"Root", &result);
      const XmlText decoded = root.Texts().empty() ? root.GetAttribute(u"a") : root.Texts()[0];
      EXPECT_EQ(decoded, c.decoded) << Utf16ToUtf8(document);
      EXPECT_EQ(result.error, c.decoded ? E::NoError : E::UnknownCharacterEntity);
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

}  // namespace
}  // namespace qv
