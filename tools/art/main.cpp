// Draws the program's icons and bitmaps and writes them below the folder given, as
// icons/... and bitmaps/..., naming each file written on standard output:
//   quorvane-art RESOURCES_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tools/art/formats.h"
#include "tools/art/pictures.h"

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48};

art::Bytes Ico(art::Image (*draw)(int size)) {
  std::vector<art::Image> images;
  for (int size : kIconSizes) images.push_back(draw(size));
  return art::EncodeIco(images);
}

struct Output {
  const char* path;  // below the resources folder
  std::function<art::Bytes()> make;
};

const Output kOutputs[] = {
    {"icons/New_task.png", [] { return art::EncodePng(art::NewTask()); }},
    {"icons/view_sort_ascending.png", [] { return art::EncodePng(art::SortAscending()); }},
    {"icons/view_sort_descending.png", [] { return art::EncodePng(art::SortDescending()); }},
    {"icons/app.ico", [] { return Ico(art::ProgramIcon); }},
    {"icons/log.ico", [] { return Ico(art::LogIcon); }},
    {"icons/check.ico", [] { return Ico(art::CheckIcon); }},
    {"icons/cross.ico", [] { return Ico(art::CrossIcon); }},
    {"bitmaps/pdf.bmp", [] { return art::EncodeBmp(art::PdfDocument()); }},
    {"bitmaps/html.bmp", [] { return art::EncodeBmp(art::HtmlPage()); }},
    {"bitmaps/text.bmp", [] { return art::EncodeBmp(art::TextFile()); }},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s RESOURCES_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const Output& output : kOutputs) {
    const std::filesystem::path path = root / output.path;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const art::Bytes bytes = output.make();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%s\n", output.path);
  }
  return 0;
}
