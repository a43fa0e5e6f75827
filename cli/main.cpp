#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/text.h"

#ifdef _WIN32
// The wide entry point, so that arguments (file names above all) arrive intact whatever the
// console's code page; they are handed on as UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::wstring_view arg(argv[i]);
    args.push_back(qv::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(arg.data()), arg.size())));
  }
  return qv::cli::Run(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  return qv::cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
