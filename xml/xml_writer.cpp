// The writer: one element per line, a tab per level, "\n" line ends, UTF-16 LE with FF FE.

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "xml/xml_node.h"
#include "xml/xml_tree.h"

namespace qv {
namespace {

constexpr std::u16string_view kDeclarationLine = u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n";
static_assert(kDeclarationLine.size() == 40);
constexpr char16_t kByteOrderMark = u'\uFEFF';

// Units handed to a file at a time: large enough that each write is cheap, small enough that
// a large tree's text is never held whole.
constexpr std::size_t kFileChunkUnits = 1 << 18;
constexpr std::u16string_view kTabs = u"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";

// Counts the text, writes it into a buffer that an earlier count sized, or hands it to a file
// in pieces.
class TextOut {
 public:
  explicit TextOut(char16_t* buffer) : buffer_(buffer) {}
  explicit TextOut(FileWriter& file) : file_(&file) { chunk_.reserve(kFileChunkUnits); }

  std::uint64_t size() const { return size_; }

  void Put(char16_t c) { Put(std::u16string_view(&c, 1)); }
  void Put(std::u16string_view text) {
    if (buffer_ != nullptr) std::copy(text.begin(), text.end(), buffer_ + size_);
    if (file_ != nullptr) {
      chunk_.append(text);
      if (chunk_.size() >= kFileChunkUnits) Flush();
    }
    size_ += text.size();
  }
  void Tabs(std::uint64_t count) {
    for (; count > kTabs.size(); count -= kTabs.size()) Put(kTabs);
    Put(kTabs.substr(0, static_cast<std::size_t>(count)));
  }
  // What the file has not had yet, as UTF-16 LE whatever the machine's order.
  void Flush() {
    if constexpr (std::endian::native == std::endian::big) {
      for (char16_t& unit : chunk_) unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
    }
    file_->Write(std::span(reinterpret_cast<const std::uint8_t*>(chunk_.data()),
                           chunk_.size() * sizeof(char16_t)));
    chunk_.clear();
  }
  // Each character of the entity table becomes its reference; runs between go in one piece.
  void Escaped(std::u16string_view text) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::u16string_view reference = ReferenceFor(text[i]);
      if (reference.empty()) continue;
      Put(text.substr(run, i - run));
      Put(reference);
      run = i + 1;
    }
    Put(text.substr(run));
  }

 private:
  static std::u16string_view ReferenceFor(char16_t c) {
    for (const XmlEntity& entity : kXmlEntities) {
      if (entity.character == c) return entity.reference;
    }
    return {};
  }

  char16_t* buffer_ = nullptr;
  FileWriter* file_ = nullptr;
  std::u16string chunk_;
  std::uint64_t size_ = 0;
};

bool HasName(const XmlNodeData& element) {
  return element.hasName && element.nameLength > 0;
}

void WriteAttributes(TextOut& out, const XmlNodeData& element) {
  for (std::size_t i = 0; i < element.attributes.size(); ++i) {
    const XmlAttribute attribute = element.AttributeAt(i);
    if (attribute.name.empty()) continue;
    out.Put(u' ');
    out.Put(attribute.name);
    if (!attribute.value) continue;
    out.Put(u"=\"");
    out.Escaped(*attribute.value);
    out.Put(u'"');
  }
}

// An element whose content is still to be written.
struct OpenElement {
  const XmlNodeData* element;
  std::size_t next;          // the next entry of its order
  std::uint64_t level;       // its own level: texts and clears go one deeper
  std::uint64_t childLevel;  // one deeper for a start tag; a declaration adds no level
  bool endTag;
};

// Writes what comes before the element's content and queues the content, if any.
void StartElement(TextOut& out, const XmlNodeData& element, std::uint64_t level,
                  std::vector<OpenElement>& open) {
  if (!HasName(element)) {
    open.push_back({&element, 0, level, level, false});
    return;
  }
  out.Tabs(level);
  out.Put(element.isDeclaration ? u"<?" : u"<");
  out.Put(*element.Name());
  WriteAttributes(out, element);
  if (element.isDeclaration) {
    out.Put(u"?>\n");
    open.push_back({&element, 0, level, level, false});
  } else if (element.order.empty()) {
    out.Put(u"/>\n");
  } else {
    out.Put(u">\n");
    open.push_back({&element, 0, level, level + 1, true});
  }
}

void WriteText(TextOut& out, const std::u16string& text, std::uint64_t tabs) {
  if (text.empty()) return;
  out.Tabs(tabs);
  out.Escaped(text);
  out.Put(u'\n');
}

void WriteClear(TextOut& out, const XmlClear& clear, std::uint64_t tabs) {
  if (!clear.opening.empty()) {
    out.Tabs(tabs);
    out.Put(clear.opening);
  }
  out.Put(clear.content);
  out.Put(clear.closing);
  out.Put(u'\n');
}

// Depth first with an explicit stack, so that a deep tree needs no deep machine stack.
void WriteElement(TextOut& out, const XmlNodeData& root, std::uint64_t level) {
  std::vector<OpenElement> open;
  StartElement(out, root, level, open);
  while (!open.empty()) {
    OpenElement& top = open.back();
    const XmlNodeData& element = *top.element;
    if (top.next == element.order.size()) {
      if (top.endTag) {
        out.Tabs(top.level);
        out.Put(u"</");
        out.Put(*element.Name());
        out.Put(u">\n");
      }
      open.pop_back();
      continue;
    }
    const XmlContentRef item = UnpackContent(element.order[top.next++]);
    const auto index = static_cast<std::size_t>(item.index);
    switch (item.kind) {
      case XmlContentKind::Element:
        StartElement(out, *XmlTreeAccess::Data(element.children[index]), top.childLevel, open);
        break;  // top is no longer valid from here on
      case XmlContentKind::Text: WriteText(out, element.texts[index], top.level + 1); break;
      case XmlContentKind::Clear: WriteClear(out, element.clears[index], top.level + 1); break;
    }
  }
}

}  // namespace

std::int32_t XmlNode::CreateText(char16_t* buffer, std::int32_t level) const {
  if (data_ == nullptr) return 0;
  const auto tabs = static_cast<std::uint64_t>(std::max(level, 0));
  try {
    TextOut counter(nullptr);
    WriteElement(counter, *data_, tabs);
    if (counter.size() > INT32_MAX) return -1;
    if (buffer != nullptr) {
      TextOut writer(buffer);
      WriteElement(writer, *data_, tabs);
    }
    return static_cast<std::int32_t>(counter.size());
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

// The text goes to the file as it is made, so that a large tree's text is never held whole.
XmlError XmlNode::WriteToFile(const std::u16string& path, WriteDurability durability) const {
  FileWriter file(path);
  if (!file.opened()) return XmlError::CannotOpenForWriting;
  try {
    TextOut out(file);
    out.Put(kByteOrderMark);
    if (data_ == nullptr || !data_->isDeclaration) out.Put(kDeclarationLine);
    if (data_ != nullptr) WriteElement(out, *data_, 0);
    out.Flush();
  } catch (const std::bad_alloc&) {
    file.Finish(WriteDurability::Cached);
    return XmlError::CannotWriteFile;
  }
  return file.Finish(durability) == kErrorSuccess ? XmlError::NoError : XmlError::CannotWriteFile;
}

}  // namespace qv
