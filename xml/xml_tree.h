#pragma once
// The record behind an XmlNode, as the parser, the writer and the tree operations share it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml_node.h"

namespace qv {

// Where an attribute's name and value lie in its element's strings.
struct XmlAttributeSpan {
  std::uint32_t nameStart;
  std::uint32_t nameLength;
  std::uint32_t valueStart;
  std::uint32_t valueLength;  // kNoXmlValue: the attribute has no value
};
inline constexpr std::uint32_t kNoXmlValue = UINT32_MAX;

struct XmlNodeData {
  // The element's name (its first nameLength units), then its attributes' names and values.
  // One block per element: a parsed start tag costs one allocation for all its texts.
  std::u16string strings;
  std::uint32_t nameLength = 0;
  bool hasName = false;  // false only for the parser's nameless top element
  bool isDeclaration = false;
  std::int32_t refCount = 1;
  XmlNodeData* parent = nullptr;  // not owning; cleared when the parent is freed
  // Links records that are being freed, so that freeing a deep tree needs no recursion.
  XmlNodeData* nextToFree = nullptr;
  std::vector<XmlNode> children;
  std::vector<std::u16string> texts;
  std::vector<XmlClear> clears;
  std::vector<XmlAttributeSpan> attributes;
  // One entry per content item: index * 4 + XmlContentKind.
  std::vector<std::uint32_t> order;

  XmlText Name() const {
    if (!hasName) return std::nullopt;
    return std::u16string_view(strings).substr(0, nameLength);
  }
  XmlAttribute AttributeAt(std::size_t index) const {
    const XmlAttributeSpan& span = attributes[index];
    const std::u16string_view all = strings;
    XmlAttribute attribute{all.substr(span.nameStart, span.nameLength), std::nullopt};
    if (span.valueLength != kNoXmlValue) {
      attribute.value = all.substr(span.valueStart, span.valueLength);
    }
    return attribute;
  }
};

inline std::uint32_t PackContent(XmlContentKind kind, std::size_t index) {
  return static_cast<std::uint32_t>(index) * 4 + static_cast<std::uint32_t>(kind);
}
inline XmlContentRef UnpackContent(std::uint32_t entry) {
  return {static_cast<XmlContentKind>(entry & 3), static_cast<std::int32_t>(entry >> 2)};
}

struct XmlTreeAccess {
  static XmlNodeData* Data(const XmlNode& node) { return node.data_; }
  // Empties the handle without giving up its reference, which passes to the caller.
  static XmlNodeData* Take(XmlNode& node) { return std::exchange(node.data_, nullptr); }
  // The handle takes over the record's first reference.
  static XmlNode Adopt(XmlNodeData* data) { return XmlNode(data); }
};

// Whitespace, wherever the parser looks for it: exactly these four characters.
inline bool IsXmlSpace(char16_t c) {
  return c == u'\n' || c == u' ' || c == u'\t' || c == u'\r';
}

// The five named references, in the order both the decoder and the escaper try them.
struct XmlEntity {
  std::u16string_view reference;
  char16_t character;
};
inline constexpr XmlEntity kXmlEntities[] = {
    {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''},
};

// The case folding of _wcsicmp in the C locale: ASCII letters only, whatever the locale.
inline char16_t FoldAsciiCase(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

inline bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

}  // namespace qv
