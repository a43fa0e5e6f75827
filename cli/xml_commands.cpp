#include "cli/xml_commands.h"

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/json.h"
#include "platform/text.h"
#include "xml/xml_node.h"

namespace qv::cli {
namespace {

constexpr char16_t kDefaultTag[] = u"Root";

void Line(std::ostream& out, int depth, const std::string& text) {
  out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << text << '\n';
}

void StartElement(std::ostream& out, const XmlNode& element, int depth) {
  const XmlText name = element.GetName();
  const char* kind = element.IsDeclaration() ? "D" : "E";
  Line(out, depth, name ? std::string(kind) + ' ' + JsonString(*name) : kind);
  for (std::int32_t i = 0; i < element.AttributeCount(); ++i) {
    const XmlAttribute attribute = element.GetAttributeAt(i);
    std::string line = "A " + JsonString(attribute.name);
    if (attribute.value) line += ' ' + JsonString(*attribute.value);
    Line(out, depth + 1, line);
  }
}

// Depth first with an explicit stack: a parsed tree may be thousands of levels deep.
void DumpTree(std::ostream& out, const XmlNode& root) {
  struct Open {
    XmlNode element;
    int depth;
    std::int32_t next;
  };
  std::vector<Open> open;
  StartElement(out, root, 0);
  open.push_back({root, 0, 0});
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == top.element.ContentCount()) {
      open.pop_back();
      continue;
    }
    const XmlNode element = top.element;
    const int depth = top.depth + 1;
    const XmlContentRef item = element.GetContentAt(top.next++);
    const auto index = static_cast<std::size_t>(item.index);
    if (item.kind == XmlContentKind::Element) {
      const XmlNode child = element.GetChildAt(item.index);
      StartElement(out, child, depth);
      open.push_back({child, depth, 0});  // top is no longer valid from here on
    } else if (item.kind == XmlContentKind::Text) {
      Line(out, depth, "T " + JsonString(element.Texts()[index]));
    } else {
      const XmlClear& clear = element.Clears()[index];
      Line(out, depth,
           "C " + JsonString(clear.opening) + ' ' + JsonString(clear.content) + ' ' +
               JsonString(clear.closing));
    }
  }
}

bool Accepted(XmlError error) {
  return error == XmlError::NoError || error == XmlError::UnmatchedEndTagWarning;
}

void ReportParse(std::ostream& err, const char* command, const std::string& path,
                 const XmlParseResult& result) {
  FileError(err, command, path,
            Utf16ToUtf8(XmlErrorText(result.error)) + " (line " + std::to_string(result.line) +
                ", column " + std::to_string(result.column) + ")");
}

}  // namespace

int XmlDump(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  const std::u16string tag = args.size() == 2 ? Utf8ToUtf16(args[1]) : kDefaultTag;
  XmlParseResult result;
  const XmlNode node = XmlNode::ParseFile(Utf8ToUtf16(args[0]), tag, &result);
  const auto code = static_cast<std::int32_t>(result.error);
  out << "result " << code << ' ' << result.line << ' ' << result.column << ' '
      << Utf16ToUtf8(XmlErrorText(code)) << '\n';
  if (!node.IsEmpty()) DumpTree(out, node);
  if (Accepted(result.error)) return kExitOk;
  ReportParse(err, "xml-dump", args[0], result);
  return kExitRefused;
}

int XmlRewrite(std::span<const std::string> args, std::ostream&, std::ostream& err) {
  XmlParseResult result;
  const XmlNode node = XmlNode::ParseFile(Utf8ToUtf16(args[0]), kDefaultTag, &result);
  if (result.error != XmlError::NoError) ReportParse(err, "xml-rewrite", args[0], result);
  if (!Accepted(result.error)) return kExitRefused;
  const XmlError written = node.WriteToFile(Utf8ToUtf16(args[1]));
  if (written == XmlError::NoError) return kExitOk;
  FileError(err, "xml-rewrite", args[1], Utf16ToUtf8(XmlErrorText(written)));
  return kExitRefused;
}

}  // namespace qv::cli
