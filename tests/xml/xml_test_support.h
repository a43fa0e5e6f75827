#pragma once
// Shared by the XML tests: a one-line picture of a tree, encodings, files in the temp folder.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "xml/xml_node.h"

namespace qv::test {

// Name, attributes and content in order, e.g. Root[a='1',b](T'x',C<!--| y |-->,A[]()).
// A declaration starts with '?'. Built by appending: GCC 12 mistakes "literal" + std::string
// for an overlapping copy.
inline std::string Describe(const XmlNode& node) {
  if (node.IsEmpty()) return "<empty>";
  std::string out = node.IsDeclaration() ? "?" : "";
  out.append(Utf16ToUtf8(node.GetName().value_or(u"#top"))).append("[");
  for (std::int32_t i = 0; i < node.AttributeCount(); ++i) {
    const XmlAttribute attribute = node.GetAttributeAt(i);
    out.append(i > 0 ? "," : "").append(Utf16ToUtf8(attribute.name));
    if (attribute.value) out.append("='").append(Utf16ToUtf8(*attribute.value)).append("'");
  }
  out += "](";
  for (std::int32_t i = 0; i < node.ContentCount(); ++i) {
    const XmlContentRef item = node.GetContentAt(i);
    const auto at = static_cast<std::size_t>(item.index);
    out.append(i > 0 ? "," : "");
    if (item.kind == XmlContentKind::Element) {
      out.append(Describe(node.GetChildAt(item.index)));
    } else if (item.kind == XmlContentKind::Text) {
      out.append("T'").append(Utf16ToUtf8(node.Texts()[at])).append("'");
    } else {
      const XmlClear& clear = node.Clears()[at];
      out.append("C").append(Utf16ToUtf8(clear.opening)).append("|");
      out.append(Utf16ToUtf8(clear.content)).append("|").append(Utf16ToUtf8(clear.closing));
    }
  }
  return out + ')';
}

inline std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool mark) {
  std::vector<std::uint8_t> bytes;
  if (mark) bytes = {0xFF, 0xFE};
  for (char16_t unit : text)
    bytes.insert(bytes.end(), {std::uint8_t(unit), std::uint8_t(unit >> 8)});
  return bytes;
}

inline std::vector<std::uint8_t> Utf8Bytes(std::u16string_view text, bool mark) {
  std::string utf8 = mark ? "\xEF\xBB\xBF" : "";
  utf8 += Utf16ToUtf8(text);
  return {utf8.begin(), utf8.end()};
}

inline std::u16string TempPath(std::u16string_view name) {
  return TempFolder() + u"\\quorvane-xml-test-" + std::u16string(name);
}

}  // namespace qv::test
