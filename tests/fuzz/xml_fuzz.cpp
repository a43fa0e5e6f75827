// The XML reader over arbitrary bytes: as a file (the encoding decided from the bytes) and as
// UTF-16 text, then whatever was read written back and read again.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "xml/xml_node.h"

namespace {

bool Accepted(qv::XmlError error) {
  return error == qv::XmlError::NoError || error == qv::XmlError::UnmatchedEndTagWarning;
}

// A tree comes back exactly with success and the warning, and positions are never negative.
void Check(const qv::XmlNode& node, const qv::XmlParseResult& result) {
  const auto code = static_cast<std::int32_t>(result.error);
  if (code < 0 || code > 21 || node.IsEmpty() == Accepted(result.error) || result.line < 0 ||
      result.column < 0) {
    std::abort();
  }
}

void WriteAndReread(const qv::XmlNode& node, const std::u16string& path) {
  if (node.IsEmpty()) return;
  const std::int32_t length = node.CreateText(nullptr, 0);
  if (length < 0) std::abort();
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  if (node.CreateText(text.data(), 0) != length) std::abort();
  qv::XmlParseResult result;
  Check(qv::XmlNode::ParseString(text, u"Root", &result), result);
  if (node.WriteToFile(path) != qv::XmlError::NoError) std::abort();
  Check(qv::XmlNode::ParseFile(path, u"Root", &result), result);
}

// One pair of files per process, so parallel fuzzing jobs do not share them; removed at exit.
struct ScratchFiles {
  std::u16string input;
  std::u16string output;

  ScratchFiles() {
    const std::u16string base =
        qv::TempFolder() + u"/quorvane-xml-fuzz-" + qv::Utf8ToUtf16(std::to_string(::getpid()));
    input = base + u"-in.xml";
    output = base + u"-out.xml";
  }
  ~ScratchFiles() {
    qv::DeleteFileW(input);
    qv::DeleteFileW(output);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFiles files;
  if (qv::WriteWholeFile(files.input, std::span(data, size)) != qv::kErrorSuccess) std::abort();
  qv::XmlParseResult result;
  const qv::XmlNode fromFile = qv::XmlNode::ParseFile(files.input, u"Root", &result);
  Check(fromFile, result);
  WriteAndReread(fromFile, files.output);

  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  const qv::XmlNode fromString = qv::XmlNode::ParseString(text, u"Root", &result);
  Check(fromString, result);
  WriteAndReread(fromString, files.output);
  return 0;
}
