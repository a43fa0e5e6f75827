#include "xml/xml_node.h"

#include <algorithm>
#include <new>
#include <utility>

#include "xml/xml_tree.h"

namespace qv {
namespace {

void Retain(XmlNodeData* data) noexcept {
  if (data != nullptr) ++data->refCount;
}

// Frees the record when this was its last reference, and with it every descendant nothing
// else holds. Dying records are chained through nextToFree instead of recursing, so a tree
// of any depth is freed in constant stack.
void Release(XmlNodeData* data) noexcept {
  if (data == nullptr || --data->refCount > 0) return;
  XmlNodeData* dying = data;
  while (dying != nullptr) {
    XmlNodeData* record = dying;
    dying = record->nextToFree;
    for (XmlNode& child : record->children) {
      // The entry's reference is dropped by hand: a handle's destructor would recurse.
      XmlNodeData* childData = XmlTreeAccess::Take(child);
      childData->parent = nullptr;
      if (--childData->refCount == 0) {
        childData->nextToFree = dying;
        dying = childData;
      }
    }
    delete record;
  }
}

}  // namespace

XmlNode::XmlNode(const XmlNode& other) noexcept : data_(other.data_) {
  Retain(data_);
}

XmlNode::XmlNode(XmlNode&& other) noexcept : data_(std::exchange(other.data_, nullptr)) {}

XmlNode& XmlNode::operator=(const XmlNode& other) noexcept {
  if (data_ != other.data_) {
    // The source first: it may live only through the record being released.
    Retain(other.data_);
    Release(std::exchange(data_, other.data_));
  }
  return *this;
}

XmlNode& XmlNode::operator=(XmlNode&& other) noexcept {
  if (this != &other) Release(std::exchange(data_, std::exchange(other.data_, nullptr)));
  return *this;
}

XmlNode::~XmlNode() {
  Release(data_);
}

const XmlNode& XmlNode::Empty() noexcept {
  static const XmlNode empty;
  return empty;
}

XmlNode XmlNode::CreateTopNode(std::u16string_view name) {
  if (name.size() >= kNoXmlValue) return {};
  try {
    auto* data = new XmlNodeData;
    XmlNode node(data);
    data->strings.assign(name);
    data->nameLength = static_cast<std::uint32_t>(name.size());
    data->hasName = true;
    return node;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

namespace {

// Room for `more` further items before anything is added, so that a failed allocation leaves
// the container as it was. Growth stays geometric: an exact reserve would copy the whole
// container on every addition, making a list of n children cost n^2.
template <typename Container>
void ReserveMore(Container& container, std::size_t more) {
  const std::size_t needed = container.size() + more;
  if (needed <= container.capacity()) return;
  container.reserve(std::max(needed, container.capacity() * 2));
}

}  // namespace

XmlNode XmlNode::AddChild(XmlText name) {
  if (data_ == nullptr || !name) return {};
  try {
    // Room first, so that a failure leaves children and order as they were.
    ReserveMore(data_->children, 1);
    ReserveMore(data_->order, 1);
    XmlNode child = CreateTopNode(*name);
    if (child.IsEmpty()) return {};
    child.data_->parent = data_;
    data_->order.push_back(PackContent(XmlContentKind::Element, data_->children.size()));
    data_->children.push_back(child);
    return child;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

bool XmlNode::AddAttribute(XmlText name, XmlText value) {
  if (data_ == nullptr || !name) return false;
  std::u16string& strings = data_->strings;
  const std::size_t valueLength = value ? value->size() : 0;
  // Offsets into the block are 32-bit.
  if (name->size() + valueLength >= kNoXmlValue - strings.size()) return false;
  try {
    // Room first, so that a failure adds nothing.
    ReserveMore(strings, name->size() + valueLength);
    ReserveMore(data_->attributes, 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  XmlAttributeSpan span{static_cast<std::uint32_t>(strings.size()),
                        static_cast<std::uint32_t>(name->size()), 0, kNoXmlValue};
  strings.append(*name);
  if (value) {
    span.valueStart = static_cast<std::uint32_t>(strings.size());
    span.valueLength = static_cast<std::uint32_t>(value->size());
    strings.append(*value);
  }
  data_->attributes.push_back(span);
  return true;
}

XmlText XmlNode::GetName() const noexcept {
  return data_ != nullptr ? data_->Name() : std::nullopt;
}

std::int32_t XmlNode::ChildCount() const noexcept {
  return data_ != nullptr ? static_cast<std::int32_t>(data_->children.size()) : 0;
}

XmlNode XmlNode::GetChildAt(std::int32_t index) const noexcept {
  if (index < 0 || index >= ChildCount()) return {};
  return data_->children[static_cast<std::size_t>(index)];
}

XmlNode XmlNode::GetChildByName(std::u16string_view name) const noexcept {
  if (data_ == nullptr) return {};
  for (const XmlNode& child : data_->children) {
    const XmlText childName = child.data_->Name();
    if (childName && EqualsIgnoreAsciiCase(*childName, name)) return child;
  }
  return {};
}

XmlText XmlNode::GetAttribute(std::u16string_view name) const noexcept {
  if (data_ == nullptr) return std::nullopt;
  for (std::size_t i = 0; i < data_->attributes.size(); ++i) {
    const XmlAttribute attribute = data_->AttributeAt(i);
    if (EqualsIgnoreAsciiCase(attribute.name, name)) return attribute.value;
  }
  return std::nullopt;
}

bool XmlNode::IsDeclaration() const noexcept {
  return data_ != nullptr && data_->isDeclaration;
}

XmlNode XmlNode::GetParent() const noexcept {
  if (data_ == nullptr || data_->parent == nullptr) return {};
  Retain(data_->parent);
  return XmlNode(data_->parent);
}

std::int32_t XmlNode::AttributeCount() const noexcept {
  return data_ != nullptr ? static_cast<std::int32_t>(data_->attributes.size()) : 0;
}

XmlAttribute XmlNode::GetAttributeAt(std::int32_t index) const noexcept {
  if (index < 0 || index >= AttributeCount()) return {};
  return data_->AttributeAt(static_cast<std::size_t>(index));
}

std::span<const std::u16string> XmlNode::Texts() const noexcept {
  if (data_ == nullptr) return {};
  return data_->texts;
}

std::span<const XmlClear> XmlNode::Clears() const noexcept {
  if (data_ == nullptr) return {};
  return data_->clears;
}

std::int32_t XmlNode::ContentCount() const noexcept {
  return data_ != nullptr ? static_cast<std::int32_t>(data_->order.size()) : 0;
}

XmlContentRef XmlNode::GetContentAt(std::int32_t index) const noexcept {
  if (index < 0 || index >= ContentCount()) return {XmlContentKind::Element, -1};
  return UnpackContent(data_->order[static_cast<std::size_t>(index)]);
}

}  // namespace qv
