#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

using test::Describe;

constexpr std::u16string_view kDocument =
    u"<?xml version=\"1.0\"?>\r\n<R Name=\"\u00E9t\u00E9 \u20AC \U0001F600\">\r\n"
    u"\t<Task TaskDescr=\"caf\u00E9\"/>\r\n</R>\r\n";
constexpr char kTree[] = "R[Name='\u00E9t\u00E9 \u20AC \U0001F600'](Task[TaskDescr='caf\u00E9']())";

TEST(XmlFile, TheEncodingIsTakenFromTheBytes) {
  const struct {
    const char16_t* name;
    std::vector<std::uint8_t> bytes;
    std::string tree;
    XmlError error = XmlError::NoError;
  } files[] = {
      {u"utf16-mark.xml", test::Utf16LeBytes(kDocument, true), kTree},
      {u"utf16.xml", test::Utf16LeBytes(kDocument, false), kTree},
      {u"utf8-mark.xml", test::Utf8Bytes(kDocument, true), kTree},
      {u"utf8.xml", test::Utf8Bytes(kDocument, false), kTree},
      // A stray last byte of a UTF-16 file becomes a character of its own.
      {u"odd16.xml",
       {0xFF, 0xFE, '<', 0, 'R', 0, ' ', 0, 'a', 0, '=', 0, 'x'},
       "R[a='x']()",
       XmlError::UnmatchedEndTagWarning},
      // A bad UTF-8 sequence is one replacement character, not a failure.
      {u"bad8.xml", {'<', 'R', ' ', 'a', '=', '"', 0xC3, '"', '/', '>'}, "R[a='\uFFFD']()"},
      // The text ends at a zero byte.
      {u"zero8.xml", {'<', 'R', '/', '>', 0, '<', 'x'}, "R[]()"},
      {u"mark-only.xml", {0xEF, 0xBB, 0xBF}, "<empty>", XmlError::FirstTagNotFound},
      {u"empty.xml", {}, "<empty>", XmlError::NoXmlData},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(Utf16ToUtf8(file.name));
    const std::u16string path = test::TempPath(file.name);
    ASSERT_EQ(WriteWholeFile(path, file.bytes), kErrorSuccess);
    XmlParseResult result{XmlError::CannotWriteFile, 9, 9};
    EXPECT_EQ(Describe(XmlNode::ParseFile(path, u"R", &result)), file.tree);
    EXPECT_EQ(result.error, file.error);
    EXPECT_EQ(result.line, file.error == XmlError::UnmatchedEndTagWarning ? 1 : 0);
    DeleteFileW(path);
  }
}

TEST(XmlFile, UnreadablePathsAreNotFound) {
  for (const std::u16string& path : {test::TempPath(u"missing.xml"), TempFolder()}) {
    XmlParseResult result{XmlError::NoError, 7, 7};
    EXPECT_TRUE(XmlNode::ParseFile(path, u"Root", &result).IsEmpty()) << Utf16ToUtf8(path);
    EXPECT_EQ(result.error, XmlError::FileNotFound);
    EXPECT_EQ(result.line + result.column, 0);
  }
}

}  // namespace
}  // namespace qv
