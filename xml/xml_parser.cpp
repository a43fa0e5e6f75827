// The tolerant one-pass parser: a hand-written tokeniser and an element loop that keeps the
// open elements on an explicit stack, so that nesting costs heap, not machine stack.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xml/xml_node.h"
#include "xml/xml_tree.h"

namespace qv {
namespace {

// Raw sections, tried in this order; the opening is matched without regard to ASCII case,
// the closing exactly.
struct ClearKind {
  std::u16string_view opening;
  std::u16string_view closing;
};
constexpr ClearKind kClearKinds[] = {
    {u"<![CDATA[", u"]]>"},      {u"<!DOCTYPE", u">"}, {u"<PRE>", u"</PRE>"},
    {u"<Script>", u"</Script>"}, {u"<!--", u"-->"},
};
constexpr std::size_t kDoctypeKind = 1;
// A declaration with an internal subset ends here instead of at its first ">".
constexpr std::u16string_view kDoctypeSubsetClosing = u"]>";

// Numeric references are read into 32 bits; beyond the last code point the value only has
// to stay out of range, so it stops growing there.
constexpr std::uint32_t kPastLastCodePoint = 0x110000;
constexpr std::uint32_t kFirstSupplementary = 0x10000;
constexpr char16_t kReplacementCharacter = u'\uFFFD';

enum class TokenKind : std::uint8_t {
  EndOfData,
  ClearOpening,
  QuotedText,
  Text,
  ShortClose,
  EndTagStart,
  DeclarationStart,
  TagStart,
  Equals,
  TagClose,
};

struct Token {
  TokenKind kind;
  std::size_t start;
  std::size_t length;
  std::size_t clearKind = 0;
};

// The characters a text token stops at, or ("/") may stop at; a table keeps the scan of long
// values to one test per character.
constexpr std::size_t kAsciiLimit = 128;
constexpr auto kTextStops = [] {
  std::array<bool, kAsciiLimit> stops{};
  for (const char16_t c : std::u16string_view(u"\n \t\r<>=/")) stops[c] = true;
  return stops;
}();

class Tokeniser {
 public:
  explicit Tokeniser(std::u16string_view text) : text_(text) {}

  std::u16string_view text() const { return text_; }
  std::size_t index() const { return index_; }
  void MoveTo(std::size_t index) { index_ = index; }
  // Past the end reads as the terminating zero, so no look-ahead can leave the text.
  char16_t At(std::size_t i) const { return i < text_.size() ? text_[i] : u'\0'; }

  Token Next() {
    while (index_ < text_.size() && IsXmlSpace(text_[index_])) ++index_;
    const std::size_t start = index_;
    if (start == text_.size()) return {TokenKind::EndOfData, start, 0};
    const char16_t c = text_[start];
    if (c == u'<') {
      if (const auto kind = ClearKindAt(start)) {
        index_ += kClearKinds[*kind].opening.size();
        return {TokenKind::ClearOpening, start, kClearKinds[*kind].opening.size(), *kind};
      }
      const char16_t next = At(start + 1);
      if (next == u'/') return Fixed(TokenKind::EndTagStart, 2);
      if (next == u'?') return Fixed(TokenKind::DeclarationStart, 2);
      return Fixed(TokenKind::TagStart, 1);
    }
    switch (c) {
      case u'"':
      case u'\'': return Quoted(c);
      case u'/':
        if (At(start + 1) == u'>') return Fixed(TokenKind::ShortClose, 2);
        break;
      case u'=': return Fixed(TokenKind::Equals, 1);
      case u'>': return Fixed(TokenKind::TagClose, 1);
      default: break;
    }
    return Text(start, start + 1);
  }

 private:
  Token Fixed(TokenKind kind, std::size_t length) {
    const std::size_t start = index_;
    index_ += length;
    return {kind, start, length};
  }

  std::optional<std::size_t> ClearKindAt(std::size_t at) const {
    const std::u16string_view rest = text_.substr(at);
    for (std::size_t kind = 0; kind < std::size(kClearKinds); ++kind) {
      const std::u16string_view opening = kClearKinds[kind].opening;
      if (rest.size() >= opening.size() &&
          EqualsIgnoreAsciiCase(rest.substr(0, opening.size()), opening)) {
        return kind;
      }
    }
    return std::nullopt;
  }

  // Through the matching quote; a "<" or the end before it makes the quote start plain text.
  Token Quoted(char16_t quote) {
    const std::size_t start = index_;
    for (std::size_t i = start + 1; i < text_.size(); ++i) {
      if (text_[i] == quote) {
        index_ = i + 1;
        return {TokenKind::QuotedText, start, i + 1 - start};
      }
      if (text_[i] == u'<') break;
    }
    return Text(start, start + 1);
  }

  // A whitespace character that ends the text is consumed; "<", ">", "=" and "/>" are not.
  Token Text(std::size_t start, std::size_t from) {
    std::size_t i = from;
    for (; i < text_.size(); ++i) {
      const char16_t c = text_[i];
      if (c >= kAsciiLimit || !kTextStops[c]) continue;
      if (c == u'/') {
        if (At(i + 1) == u'>') break;
        continue;
      }
      if (IsXmlSpace(c)) {
        index_ = i + 1;
        return {TokenKind::Text, start, i - start};
      }
      break;
    }
    index_ = i;
    return {TokenKind::Text, start, i - start};
  }

  std::u16string_view text_;
  std::size_t index_ = 0;
};

int DigitValue(char16_t c, bool hex) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (!hex) return -1;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Code points beyond 16 bits become surrogate pairs rather than losing their top bits; zero
// and values past the last code point become U+FFFD, since a zero character would end the
// text when the tree is written and read back.
void AppendReferenced(std::u16string& out, std::uint32_t value) {
  if (value == 0 || value >= kPastLastCodePoint) {
    out.push_back(kReplacementCharacter);
  } else if (value < kFirstSupplementary) {
    out.push_back(static_cast<char16_t>(value));
  } else {
    const std::uint32_t offset = value - kFirstSupplementary;
    out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
  }
}

// "&#NNN;" or "&#xHHH;" at the start of text (which begins "&#"); the characters used, or 0
// when it is no well-formed reference.
std::size_t DecodeNumeric(std::u16string_view text, std::u16string& out) {
  if (text.size() < 3) return 0;
  const bool hex = text[2] == u'x' || text[2] == u'X';
  const std::uint32_t base = hex ? 16 : 10;
  std::uint32_t value = 0;
  std::size_t i = hex ? 3 : 2;
  const std::size_t firstDigit = i;
  for (; i < text.size() && text[i] != u';'; ++i) {
    const int digit = DigitValue(text[i], hex);
    if (digit < 0) return 0;
    value = std::min(value * base + static_cast<std::uint32_t>(digit), kPastLastCodePoint);
  }
  if (i == text.size() || i == firstDigit) return 0;
  AppendReferenced(out, value);
  return i + 1;
}

// The reference at the start of text (which begins with "&"); the characters used, or 0.
std::size_t DecodeReference(std::u16string_view text, std::u16string& out) {
  if (text.size() >= 2 && text[1] == u'#') return DecodeNumeric(text, out);
  for (const XmlEntity& entity : kXmlEntities) {
    const std::size_t length = entity.reference.size();
    if (text.size() >= length && EqualsIgnoreAsciiCase(text.substr(0, length), entity.reference)) {
      out.push_back(entity.character);
      return length;
    }
  }
  return 0;
}

// Appends the decoded text; false when a reference is unknown or malformed.
bool DecodeEntities(std::u16string_view text, std::u16string& out) {
  std::size_t amp = text.find(u'&');
  if (amp == std::u16string_view::npos) {
    out.append(text);
    return true;
  }
  out.reserve(out.size() + text.size());
  std::size_t copied = 0;
  while (amp != std::u16string_view::npos) {
    out.append(text.substr(copied, amp - copied));
    const std::size_t used = DecodeReference(text.substr(amp), out);
    if (used == 0) return false;
    copied = amp + used;
    amp = text.find(u'&', copied);
  }
  out.append(text.substr(copied));
  return true;
}

void AppendText(XmlNodeData& element, std::u16string text) {
  element.order.push_back(PackContent(XmlContentKind::Text, element.texts.size()));
  element.texts.push_back(std::move(text));
}

void AppendClear(XmlNodeData& element, XmlClear clear) {
  element.order.push_back(PackContent(XmlContentKind::Clear, element.clears.size()));
  element.clears.push_back(std::move(clear));
}

// The child's name is stored with its attributes when its start tag ends.
XmlNodeData& AppendChild(XmlNodeData& parent, bool isDeclaration) {
  // Room first: a failed allocation must not leave an order entry without its child.
  // Geometric growth: an exact reserve would copy every child again for each new one.
  if (parent.children.size() == parent.children.capacity()) {
    parent.children.reserve(parent.children.size() * 2 + 1);
  }
  auto* child = new XmlNodeData;
  XmlNode handle = XmlTreeAccess::Adopt(child);
  child->isDeclaration = isDeclaration;
  child->parent = &parent;
  parent.order.push_back(PackContent(XmlContentKind::Element, parent.children.size()));
  parent.children.push_back(std::move(handle));
  return *child;
}

// An element whose end has been read keeps no spare room.
void Trim(XmlNodeData& element) {
  element.children.shrink_to_fit();
  element.texts.shrink_to_fit();
  element.clears.shrink_to_fit();
  element.attributes.shrink_to_fit();
  element.order.shrink_to_fit();
}

struct Slice {
  std::size_t start;
  std::size_t length;
};

class Parser {
 public:
  explicit Parser(std::u16string_view text) : tokens_(text) {}

  void Run(XmlNodeData& top) {
    stack_.push_back({&top, true});
    for (;;) {
      const Token token = tokens_.Next();
      Frame& frame = stack_.back();
      Step step = Step::Continue;
      if (token.kind == TokenKind::EndOfData) {
        step = AtEndOfData(frame);
      } else {
        step = frame.inContent ? ContentToken(frame, token) : TagToken(frame, token);
      }
      if (step == Step::Stop) break;
      if (step == Step::Complete && !CloseCompleted()) break;
    }
    // The last element read may stop inside its start tag and still be returned (warning 1).
    if (!stack_.empty()) StoreStartTag(*stack_.back().element);
  }

  XmlError error() const { return error_; }
  // Where the result's line and column point.
  std::size_t errorPosition() const {
    return error_ == XmlError::UnmatchedEndTagWarning ? warningPosition_ : tokens_.index();
  }

 private:
  enum class Step { Continue, Complete, Stop };
  enum class Phase { Name, Equals, Value };

  struct Frame {
    XmlNodeData* element;
    bool inContent;
    Phase phase = Phase::Name;
    Slice attributeName{0, 0};
  };

  // An attribute read from the start tag still being read.
  struct PendingAttribute {
    Slice name;  // in the text
    bool hasValue;
    bool decoded;  // the value lies in decoded_ rather than in the text
    Slice value;
  };

  Step Fail(XmlError error) {
    error_ = error;
    return Step::Stop;
  }

  Step AtEndOfData(const Frame& frame) {
    if (!frame.element->isDeclaration && frame.element->parent != nullptr) {
      error_ = XmlError::UnmatchedEndTagWarning;
      warningPosition_ = tokens_.index();
    }
    return Step::Stop;
  }

  // The innermost element is complete: close it, and with it each enclosing element that a
  // pending (unmatched) end tag closes as well. False when the parse is over.
  bool CloseCompleted() {
    for (;;) {
      stack_.pop_back();
      if (stack_.empty()) return false;
      if (!pendingEndTag_) return true;
      const XmlNodeData& element = *stack_.back().element;
      if (!element.hasName) {
        error_ = XmlError::UnmatchedEndTag;
        return false;
      }
      if (EndTagMatches(element, pendingEndTag_->start)) pendingEndTag_.reset();
    }
  }

  Step TagToken(Frame& frame, const Token& token) {
    switch (frame.phase) {
      case Phase::Name: return NameToken(frame, token);
      case Phase::Equals: return EqualsToken(frame, token);
      case Phase::Value: return ValueToken(frame, token);
    }
    return Fail(XmlError::UnexpectedToken);
  }

  Step NameToken(Frame& frame, const Token& token) {
    switch (token.kind) {
      case TokenKind::Text:
        frame.attributeName = {token.start, token.length};
        frame.phase = Phase::Equals;
        return Step::Continue;
      case TokenKind::TagClose:
      case TokenKind::ShortClose: return EndStartTag(frame, token);
      default: return Fail(XmlError::UnexpectedToken);
    }
  }

  Step EqualsToken(Frame& frame, const Token& token) {
    switch (token.kind) {
      case TokenKind::Text:
        attributes_.push_back({frame.attributeName, false, false, {}});
        frame.attributeName = {token.start, token.length};
        return Step::Continue;
      case TokenKind::TagClose:
      case TokenKind::ShortClose: {
        Slice name = frame.attributeName;
        if (frame.element->isDeclaration && EndsWithQuestionMark(name)) --name.length;
        if (name.length > 0) attributes_.push_back({name, false, false, {}});
        return EndStartTag(frame, token);
      }
      case TokenKind::Equals: frame.phase = Phase::Value; return Step::Continue;
      default: return Fail(XmlError::UnexpectedToken);
    }
  }

  Step ValueToken(Frame& frame, const Token& token) {
    if (token.kind != TokenKind::Text && token.kind != TokenKind::QuotedText) {
      return Fail(XmlError::UnexpectedToken);
    }
    Slice value{token.start, token.length};
    if (frame.element->isDeclaration && EndsWithQuestionMark(value)) --value.length;
    if (token.kind == TokenKind::QuotedText) value = {value.start + 1, value.length - 2};
    PendingAttribute attribute{frame.attributeName, true, false, value};
    const std::u16string_view raw = tokens_.text().substr(value.start, value.length);
    if (raw.find(u'&') != std::u16string_view::npos) {
      const std::size_t start = decoded_.size();
      if (!DecodeEntities(raw, decoded_)) return Fail(XmlError::UnknownCharacterEntity);
      attribute.decoded = true;
      attribute.value = {start, decoded_.size() - start};
    }
    attributes_.push_back(attribute);
    frame.phase = Phase::Name;
    return Step::Continue;
  }

  // A tag close opens the element's content; a short-hand close completes the element.
  Step EndStartTag(Frame& frame, const Token& token) {
    pendingText_ = tokens_.index();
    StoreStartTag(*frame.element);
    if (token.kind == TokenKind::TagClose) {
      frame.inContent = true;
      return Step::Continue;
    }
    Trim(*frame.element);
    return Step::Complete;
  }

  Step ContentToken(Frame& frame, const Token& token) {
    switch (token.kind) {
      case TokenKind::TagStart:
      case TokenKind::DeclarationStart:
        return OpenChild(frame, token.kind == TokenKind::DeclarationStart, token.start);
      case TokenKind::EndTagStart: return ReadEndTag(frame, token.start);
      case TokenKind::ClearOpening: return ReadClear(frame, token);
      default:
        // Its characters stay in the raw text that the next capture takes.
        return Step::Continue;
    }
  }

  Step OpenChild(Frame& frame, bool isDeclaration, std::size_t tagStart) {
    if (!CaptureText(*frame.element, tagStart)) return Step::Stop;
    const Token name = tokens_.Next();
    if (name.kind != TokenKind::Text) return Fail(XmlError::MissingStartTagName);
    if (stack_.size() > static_cast<std::size_t>(kXmlMaxNesting)) {
      return Fail(XmlError::InvalidTag);
    }
    XmlNodeData& child = AppendChild(*frame.element, isDeclaration);
    elementName_ = Slice{name.start, name.length};
    stack_.push_back({&child, false});  // frame is no longer valid from here on
    return Step::Continue;
  }

  Step ReadEndTag(Frame& frame, std::size_t tagStart) {
    if (!CaptureText(*frame.element, tagStart)) return Step::Stop;
    const Token name = tokens_.Next();
    if (name.kind != TokenKind::Text) return Fail(XmlError::MissingEndTagName);
    if (tokens_.Next().kind != TokenKind::TagClose) return Fail(XmlError::MissingEndTagName);
    pendingText_ = tokens_.index();
    if (!EndTagMatches(*frame.element, name.start)) {
      error_ = XmlError::UnmatchedEndTagWarning;
      warningPosition_ = tokens_.index();
      pendingEndTag_ = Slice{name.start, name.length};
    }
    Trim(*frame.element);
    return Step::Complete;
  }

  Step ReadClear(Frame& frame, const Token& token) {
    if (!CaptureText(*frame.element, token.start)) return Step::Stop;
    const ClearKind& kind = kClearKinds[token.clearKind];
    const std::u16string_view text = tokens_.text();
    const std::size_t contentStart = tokens_.index();
    std::size_t end = std::u16string_view::npos;
    std::u16string_view closing = kind.closing;
    if (token.clearKind == kDoctypeKind) {
      end = text.find_first_of(u"<>", contentStart);
      if (end != std::u16string_view::npos && text[end] == u'<') {
        closing = kDoctypeSubsetClosing;
        end = text.find(closing, end);
      }
    } else {
      end = text.find(closing, contentStart);
    }
    if (end == std::u16string_view::npos) return Fail(XmlError::UnmatchedClearTagEnd);
    AppendClear(*frame.element, {std::u16string(text.substr(contentStart, end - contentStart)),
                                 kind.opening, closing});
    tokens_.MoveTo(end + closing.size());
    pendingText_ = tokens_.index();
    return Step::Continue;
  }

  // The uncaptured text before a tag, without its outer whitespace, becomes a text piece.
  bool CaptureText(XmlNodeData& element, std::size_t end) {
    if (!pendingText_) return true;
    std::size_t start = *pendingText_;
    pendingText_.reset();
    const std::u16string_view text = tokens_.text();
    while (start < end && IsXmlSpace(text[start])) ++start;
    while (end > start && IsXmlSpace(text[end - 1])) --end;
    if (start == end) return true;
    std::u16string piece;
    if (!DecodeEntities(text.substr(start, end - start), piece)) {
      error_ = XmlError::UnknownCharacterEntity;
      return false;
    }
    AppendText(element, std::move(piece));
    return true;
  }

  // As _wcsnicmp over the element name's length, then a character that can end a name.
  bool EndTagMatches(const XmlNodeData& element, std::size_t at) const {
    if (!element.hasName) return false;
    const std::u16string_view name = *element.Name();
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (FoldAsciiCase(tokens_.At(at + i)) != FoldAsciiCase(name[i])) return false;
    }
    const char16_t next = tokens_.At(at + name.size());
    return IsXmlSpace(next) || next == u'/' || next == u'<' || next == u'>' || next == u'=';
  }

  bool EndsWithQuestionMark(const Slice& slice) const {
    return slice.length > 0 && tokens_.text()[slice.start + slice.length - 1] == u'?';
  }

  // The element's name and attributes go into its one block of strings, allocated once at
  // its exact length.
  void StoreStartTag(XmlNodeData& element) {
    if (!elementName_ && attributes_.empty()) return;
    const std::u16string_view text = tokens_.text();
    std::size_t total = elementName_ ? elementName_->length : 0;
    for (const PendingAttribute& attribute : attributes_) {
      total += attribute.name.length + (attribute.hasValue ? attribute.value.length : 0);
    }
    // Offsets into the block are 32-bit; no start tag of a readable file comes near.
    if (total >= kNoXmlValue) throw std::bad_alloc();
    element.strings.reserve(total);
    if (elementName_) {
      element.strings.assign(text.substr(elementName_->start, elementName_->length));
      element.nameLength = static_cast<std::uint32_t>(elementName_->length);
      element.hasName = true;
      elementName_.reset();
    }
    element.attributes.reserve(element.attributes.size() + attributes_.size());
    for (const PendingAttribute& attribute : attributes_) {
      XmlAttributeSpan span{Offset(element), static_cast<std::uint32_t>(attribute.name.length), 0,
                            kNoXmlValue};
      element.strings.append(text.substr(attribute.name.start, attribute.name.length));
      if (attribute.hasValue) {
        const std::u16string_view source = attribute.decoded ? decoded_ : text;
        span.valueStart = Offset(element);
        span.valueLength = static_cast<std::uint32_t>(attribute.value.length);
        element.strings.append(source.substr(attribute.value.start, attribute.value.length));
      }
      element.attributes.push_back(span);
    }
    attributes_.clear();
    decoded_.clear();
  }

  static std::uint32_t Offset(const XmlNodeData& element) {
    return static_cast<std::uint32_t>(element.strings.size());
  }

  Tokeniser tokens_;
  std::vector<Frame> stack_;
  // The start tag being read: its element's name and its attributes, with the values that
  // held references decoded into one shared buffer.
  std::optional<Slice> elementName_;
  std::vector<PendingAttribute> attributes_;
  std::u16string decoded_;
  std::optional<std::size_t> pendingText_ = 0;
  std::optional<Slice> pendingEndTag_;
  XmlError error_ = XmlError::NoError;
  std::size_t warningPosition_ = 0;
};

// Lines count line feeds only; a carriage return is one more column.
void SetPosition(std::u16string_view text, std::size_t position, XmlParseResult& result) {
  const std::u16string_view before = text.substr(0, position);
  const std::size_t lineFeeds =
      static_cast<std::size_t>(std::count(before.begin(), before.end(), u'\n'));
  const std::size_t lastLineFeed = before.rfind(u'\n');
  const std::size_t column =
      lastLineFeed == std::u16string_view::npos ? position : position - lastLineFeed - 1;
  result.line = static_cast<std::int32_t>(std::min<std::size_t>(lineFeeds + 1, INT32_MAX));
  result.column = static_cast<std::int32_t>(std::min<std::size_t>(column + 1, INT32_MAX));
}

bool NameIs(const XmlNodeData& element, std::u16string_view name) {
  const XmlText elementName = element.Name();
  return elementName && EqualsIgnoreAsciiCase(*elementName, name);
}

// The element itself when it is named tagName, else the first child so named, looking into
// each declaration that comes first, as the writer's declaration line holds the document.
XmlNode FindTagElement(const XmlNode& start, std::u16string_view tagName) {
  const XmlNodeData& startData = *XmlTreeAccess::Data(start);
  if (!tagName.empty() && NameIs(startData, tagName)) return start;
  const XmlNodeData* searched = &startData;
  std::size_t i = 0;
  while (i < searched->children.size()) {
    const XmlNode& child = searched->children[i];
    const XmlNodeData& childData = *XmlTreeAccess::Data(child);
    if (NameIs(childData, tagName)) return child;
    if (childData.isDeclaration) {
      searched = &childData;
      i = 0;
    } else {
      ++i;
    }
  }
  return {};
}

void Report(XmlParseResult* result, XmlError error) {
  if (result != nullptr) *result = {error, 0, 0};
}

XmlNode Parse(std::u16string_view text, std::u16string_view tagName, XmlParseResult* result) {
  XmlNode top = XmlTreeAccess::Adopt(new XmlNodeData);
  Parser parser(text);
  parser.Run(*XmlTreeAccess::Data(top));
  const XmlNodeData& topData = *XmlTreeAccess::Data(top);
  XmlNode chosen = top;
  if (topData.order.size() == 1 && topData.children.size() == 1 && topData.attributes.empty()) {
    chosen = topData.children.front();
  }
  const XmlError error = parser.error();
  if (error != XmlError::NoError && error != XmlError::UnmatchedEndTagWarning) {
    chosen = XmlNode();
  } else {
    chosen = FindTagElement(chosen, tagName);
    if (chosen.IsEmpty()) {
      Report(result, XmlError::FirstTagNotFound);
      return {};
    }
  }
  if (result != nullptr) {
    Report(result, error);
    if (error != XmlError::NoError) SetPosition(text, parser.errorPosition(), *result);
  }
  return chosen;
}

}  // namespace

XmlNode XmlNode::ParseString(XmlText text, std::u16string_view tagName, XmlParseResult* result) {
  if (!text) {
    Report(result, XmlError::NoElements);
    return {};
  }
  try {
    return Parse(text->substr(0, text->find(u'\0')), tagName, result);
  } catch (const std::bad_alloc&) {
    // No code means "out of memory"; 15 is the one the file reader gives when it cannot
    // hold the converted text.
    Report(result, XmlError::ConversionFailed);
    return {};
  }
}

}  // namespace qv
