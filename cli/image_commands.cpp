#include "cli/image_commands.h"

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "image/inflate.h"
#include "image/png.h"
#include "platform/files.h"
#include "platform/text.h"

namespace qv::cli {
namespace {

// The inflate command's output capacity: room for any image the PNG reader accepts.
constexpr std::size_t kInflateCapacity = std::size_t{64} << 20;

bool Read(const char* command, const std::string& path, std::vector<std::uint8_t>& bytes,
          std::ostream& err) {
  const Win32Error error = ReadWholeFile(Utf8ToUtf16(path), bytes);
  if (error == kErrorSuccess) return true;
  FileError(err, command, path, "cannot read (error " + std::to_string(error) + ")");
  return false;
}

bool Write(const char* command, const std::string& path, std::span<const std::uint8_t> bytes,
           std::ostream& err) {
  const Win32Error error = WriteWholeFile(Utf8ToUtf16(path), bytes);
  if (error == kErrorSuccess) return true;
  FileError(err, command, path, "cannot write (error " + std::to_string(error) + ")");
  return false;
}

}  // namespace

int PngDecode(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::vector<std::uint8_t> file;
  if (!Read("png-decode", args[0], file, err)) return kExitRefused;
  PngMemorySource source{file};
  PngError error = PngError::None;
  const std::unique_ptr<PngImage> image = DecodePng(PngReadMemory, &source, &error);
  if (image == nullptr) {
    err << "quorvane-cli: png-decode: " << args[0]
        << ": refused: " << Utf16ToUtf8(PngErrorText(error)) << '\n';
    return kExitRefused;
  }
  std::vector<std::uint8_t> samples;
  samples.reserve(image->rows.size() - image->height);
  for (std::uint32_t y = 0; y < image->height; ++y) {
    samples.insert(samples.end(), image->Samples(y), image->Samples(y) + image->RowStride() - 1);
  }
  if (!Write("png-decode", args[1], samples, err)) return kExitRefused;
  out << image->width << ' ' << image->height << ' ' << int{image->bytesPerPixel} << '\n';
  return kExitOk;
}

int Inflate(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  std::vector<std::uint8_t> input;
  if (!Read("inflate", args[0], input, err)) return kExitRefused;
  std::vector<std::uint8_t> output(kInflateCapacity);
  std::size_t written = output.size();
  std::size_t consumed = input.size();
  const int result = InflateRaw(output.data(), written, input.data(), consumed);
  out << "result " << result << ' ' << consumed << ' ' << written << '\n';
  if (result != kInflateDone) return kExitRefused;
  return Write("inflate", args[1], std::span(output).first(written), err) ? kExitOk : kExitRefused;
}

}  // namespace qv::cli
