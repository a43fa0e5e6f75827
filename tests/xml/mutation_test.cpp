// Every cut and every single-unit corruption of a few valid documents either parses or is
// refused with a code; under AddressSanitizer this also proves no read leaves the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
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
constexpr std::initializer_list<char16_t> kReplacements = {
    u'\0', u'<', u'>', u'/', u'?', u'"',  u'\'', u'=', u'&',   u'#',   u';',
    u'!',  u'[', u']', u'-', u' ', u'\n', u'x',  u'D', 0xD800, 0xFFFF,
};

bool Accepted(XmlError error) {
  return error == XmlError::NoError || error == XmlError::UnmatchedEndTagWarning;
}

// A code of the table, a tree exactly with success and the warning, a position inside the
// text; and what was read can be written and read again.
void ExpectSound(std::u16string_view text) {
  SCOPED_TRACE(Utf16ToUtf8(text));
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

// Hands check every prefix of items and every copy with one item replaced; stops at the first
// fatal failure so one fault does not flood the log.
template <typename Items, typename Unit, typename Check>
void ForEachCutAndCorruption(const Items& items, std::initializer_list<Unit> replacements,
                             Check check) {
  for (std::size_t length = 0; length <= items.size() && !testing::Test::HasFatalFailure();
       ++length)
    check(Items(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(length)));
  Items copy(items);
  for (std::size_t i = 0; i < copy.size() && !testing::Test::HasFatalFailure(); ++i) {
    for (const Unit replacement : replacements) {
      copy[i] = replacement;
      check(copy);
    }
    copy[i] = items[i];
  }
}

TEST(XmlMutation, EveryCutAndCorruptedUnitParsesOrIsRefused) {
  for (const std::u16string_view document : kDocuments) {
    ForEachCutAndCorruption(std::u16string(document), kReplacements, ExpectSound);
  }
}

// Through the file reader, where the encoding is decided from the bytes.
TEST(XmlMutation, EveryCutAndCorruptedFileByteIsReadSafely) {
  constexpr std::u16string_view kSmall = u"<Root a=\"&#x41;\">t<!--c--></Root>";
  const std::u16string path = test::TempPath(u"mutation.xml");
  for (const auto& bytes : {test::Utf16LeBytes(kSmall, true), test::Utf8Bytes(kSmall, true)}) {
    ForEachCutAndCorruption(
        bytes, std::initializer_list<std::uint8_t>{0x00, 0xFF, 0xC3}, [&](const auto& variant) {
          ASSERT_EQ(WriteWholeFile(path, variant), kErrorSuccess);
          XmlParseResult result;
          const bool empty = XmlNode::ParseFile(path, u"Root", &result).IsEmpty();
          ASSERT_LE(result.error, XmlError::Base64BufferTooSmall);
          ASSERT_EQ(empty, !Accepted(result.error));
        });
  }
  DeleteFileW(path);
}

}  // namespace
}  // namespace qv
