#pragma once
// The in-memory XML element tree, read from files by a tolerant one-pass parser and written
// back as UTF-16 with a fixed layout. All text in a tree is UTF-16.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "xml/xml_error.h"

namespace qv {

// A text that may be missing altogether (std::nullopt), as opposed to empty. Texts handed out
// point into the tree; see XmlNode.
using XmlText = std::optional<std::u16string_view>;

// Elements a parse may hold open at once, the nameless top not counted; a deeper document is
// refused with InvalidTag. The workspace is four levels deep. The library itself walks trees
// with explicit stacks, but a caller may recurse over what it returns on a 1 MiB stack.
inline constexpr std::int32_t kXmlMaxNesting = 4096;

struct XmlAttribute {
  std::u16string_view name;
  XmlText value;  // none: the attribute was written or added without "=value"
};

// A raw section kept verbatim: neither escaped nor decoded.
struct XmlClear {
  std::u16string content;
  std::u16string_view opening;  // one of the parser's fixed texts, e.g. "<![CDATA["
  std::u16string_view closing;  // e.g. "]]>"
};

enum class XmlContentKind : std::uint8_t { Element = 0, Text = 2, Clear = 3 };

// One content item: an index into the element's children, texts or clears.
struct XmlContentRef {
  XmlContentKind kind;
  std::int32_t index;
};

struct XmlNodeData;

// A shared handle to an element. Records are reference-counted intrusively (one plain counter
// in the record, no atomic: a tree lives on one thread): each handle and each parent's child
// entry holds one reference. A handle without a record is the empty node, which stands for a
// missing element; every reading operation accepts it.
//
// Texts handed out point into the record and stay valid while the record lives and nothing is
// added to it (an element keeps its name and attributes in one block that grows).
class XmlNode {
 public:
  XmlNode() noexcept = default;
  XmlNode(const XmlNode& other) noexcept;
  XmlNode(XmlNode&& other) noexcept;
  XmlNode& operator=(const XmlNode& other) noexcept;
  XmlNode& operator=(XmlNode&& other) noexcept;
  ~XmlNode();

  // The empty node every failed look-up hands out copies of.
  static const XmlNode& Empty() noexcept;

  // A new top element (no parent, not a declaration); the empty node when out of memory.
  static XmlNode CreateTopNode(std::u16string_view name);

  // Appends a child element and returns it. A null name, the empty node or a failed
  // allocation adds nothing and returns the empty node.
  XmlNode AddChild(XmlText name);
  // Appends the pair even when the name is already there (look-ups keep finding the first).
  // False, with nothing added, for a null name, the empty node or a failed allocation.
  bool AddAttribute(XmlText name, XmlText value);

  bool IsEmpty() const noexcept { return data_ == nullptr; }
  // None for the empty node and for the parser's nameless top element.
  XmlText GetName() const noexcept;
  std::int32_t ChildCount() const noexcept;
  // The empty node for a negative index or one not below ChildCount().
  XmlNode GetChildAt(std::int32_t index) const noexcept;
  // Names match without regard to ASCII letter case, as _wcsicmp in the C locale.
  XmlNode GetChildByName(std::u16string_view name) const noexcept;
  // The value of the first attribute of that name (ASCII case ignored); none when there is
  // no such attribute or it has no value.
  XmlText GetAttribute(std::u16string_view name) const noexcept;

  // The whole record, for tools that show, copy or compare trees.
  bool IsDeclaration() const noexcept;
  XmlNode GetParent() const noexcept;
  std::int32_t AttributeCount() const noexcept;
  // An empty name and no value for an index that holds no attribute.
  XmlAttribute GetAttributeAt(std::int32_t index) const noexcept;
  std::span<const std::u16string> Texts() const noexcept;
  std::span<const XmlClear> Clears() const noexcept;
  // Children, texts and clears together, in document order; attributes are not content.
  std::int32_t ContentCount() const noexcept;
  // Index -1 for a position that holds no item.
  XmlContentRef GetContentAt(std::int32_t index) const noexcept;

  // Reads a UTF-16 (with or without FF FE) or UTF-8 (with or without EF BB BF) file and
  // parses it as ParseString does. A file that cannot be opened or read, or is larger than
  // 1 GiB, gives 12; an empty one 2; a text too large for memory 15; all at line and column 0.
  static XmlNode ParseFile(const std::u16string& path, std::u16string_view tagName,
                           XmlParseResult* result = nullptr);
  // The element named tagName (ASCII case ignored), found at the top or among the children
  // of the top, looking inside declarations; or the empty node with the failure in result.
  // The text ends at its first zero character, as a file's text ends at its terminator.
  // Running out of memory gives 15 at line and column 0.
  static XmlNode ParseString(XmlText text, std::u16string_view tagName,
                             XmlParseResult* result = nullptr);

  // The element's text at an indentation of level tabs. Without a buffer it only counts;
  // with one it writes that many characters (no terminator). 0 for the empty node; -1 when
  // the text would not fit in 32 bits or memory runs out.
  std::int32_t CreateText(char16_t* buffer, std::int32_t level) const;
  // UTF-16 LE with FF FE and, unless the element is a declaration, the XML declaration line.
  // The whole text is built before the file is touched, so running out of memory leaves an
  // existing file as it was (code 17). With WriteDurability::OnDisk the file is on the disk
  // before this returns success; a failed flush is code 17.
  XmlError WriteToFile(const std::u16string& path,
                       WriteDurability durability = WriteDurability::Cached) const;

  friend bool operator==(const XmlNode& a, const XmlNode& b) noexcept { return a.data_ == b.data_; }

 private:
  friend struct XmlTreeAccess;
  explicit XmlNode(XmlNodeData* adopted) noexcept : data_(adopted) {}

  XmlNodeData* data_ = nullptr;
};

}  // namespace qv
