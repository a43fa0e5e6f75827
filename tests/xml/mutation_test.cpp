// Every cut and every single-unit corruption of a few valid documents either parses or is
// refused with a code; under AddressSanitizer this also proves no read leaves the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/xml/xml_test_support.h"
#include "xml/xml_node.h"

namespace qv {
namespace {

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

bool Accepted(XmlError error) {
  return error == XmlError::NoError || error == XmlError::UnmatchedEndTagWarning;
}

// A code of the table, a tree exactly with success and the warning, a position inside the
// text; and what was read can be written and read again.
void ExpectSound(std::u16string_view text) {
  XmlParseResult result{XmlError::CannotWriteFile, -1, -1};
  const XmlNode node = XmlNode::ParseString(text, u"Root", &result);
  ASSERT_TRUE(result.error >= XmlError::NoError && result.error <= XmlError::Base64BufferTooSmall);
  ASSERT_EQ(node.IsEmpty(), !Accepted(result.error));
  const auto lines = static_cast<std::int32_t>(std::count(text.begin(), text.end(), u'\n'));
  ASSERT_TRUE(result.line >= 0 && result.line <= lines + 1);
  ASSERT_TRUE(result.column >= 0 && result.column <= static_cast<std::int32_t>(text.size()) + 1);
  if (node.IsEmpty()) return;
  std::u16string written(static_cast<std::size_t>(node.CreateText(nullptr, 0)), u'\0');
  node.CreateText(written.data(), 0);
  XmlNode::ParseString(written, u"Root", &result);
  ASSERT_LE(result.error, XmlError::Base64BufferTooSmall);
}

TEST(XmlMutation, EveryCutAndCorruptedUnitParsesOrIsRefused) {
  for (const std::u16string_view document : kDocuments) {
    for (std::size_t length = 0; length <= document.size(); ++length) {
      SCOPED_TRACE(Utf16ToUtf8(document.substr(0, length)));
      ASSERT_NO_FATAL_FAILURE(ExpectSound(document.substr(0, length)));
    }
    std::u16string text(document);
    for (std::size_t i = 0; i < text.size(); ++i) {
      for (const char16_t replacement : kReplacements) {
        text[i] = replacement;
        SCOPED_TRACE(Utf16ToUtf8(text));
        ASSERT_NO_FATAL_FAILURE(ExpectSound(text));
      }
      text[i] = document[i];
    }
  }
}

// Through the file reader, where the encoding is decided from the bytes.
TEST(XmlMutation, EveryCutAndCorruptedFileByteIsReadSafely) {
  constexpr std::u16string_view kSmall = u"<Root a=\"&#x41;\">t<!--c--></Root>";
  const std::u16string path = test::TempPath(u"mutation.xml");
  for (const auto& bytes : {test::Utf16LeBytes(kSmall, true), test::Utf8Bytes(kSmall, true)}) {
    std::vector<std::vector<std::uint8_t>> variants;
    for (auto end = bytes.begin(); end != bytes.end(); ++end)
      variants.emplace_back(bytes.begin(), end);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      for (const std::uint8_t replacement : {0x00, 0xFF, 0xC3}) {
        variants.push_back(bytes);
        variants.back()[i] = replacement;
      }
    }
    for (const std::vector<std::uint8_t>& variant : variants) {
      ASSERT_EQ(WriteWholeFile(path, variant), kErrorSuccess);
      XmlParseResult result;
      const XmlNode node = XmlNode::ParseFile(path, u"Root", &result);
      ASSERT_LE(result.error, XmlError::Base64BufferTooSmall);
      ASSERT_EQ(node.IsEmpty(), !Accepted(result.error));
    }
  }
  DeleteFileW(path);
}

}  // namespace
}  // namespace qv
