#pragma once
// Shared by the workspace tests: a scratch folder per test and files written as the program
// writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/headless.h"
#include "model/workspace_model.h"
#include "platform/files.h"
#include "platform/text.h"

namespace qv::test {

inline std::filesystem::path NativePath(std::u16string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), u'\\', u'/');
#endif
  return std::filesystem::path(path);
}

// A fresh folder named after the running test, removed with everything in it afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::u16string name = Utf8ToUtf16(info->test_suite_name()) + u"-" + Utf8ToUtf16(info->name());
    std::replace(name.begin(), name.end(), u'/', u'_');  // parameterised names hold '/'
    path = TempFolder() + u"\\quorvane-ws-" + name;
    std::filesystem::remove_all(NativePath(path));
    SHCreateDirectory(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(NativePath(path), ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::u16string operator/(std::u16string_view name) const {
    return path + u"\\" + std::u16string(name);
  }

  std::u16string path;
};

inline std::vector<std::uint8_t> FileBytes(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

inline std::vector<std::uint8_t> Utf16File(std::u16string_view text) {
  std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t unit : text)
    bytes.insert(bytes.end(), {std::uint8_t(unit), std::uint8_t(unit >> 8)});
  return bytes;
}

inline void WriteUtf16File(const std::u16string& path, std::u16string_view text) {
  ASSERT_EQ(WriteWholeFile(path, Utf16File(text)), kErrorSuccess);
}

inline bool FileExists(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  return ReadWholeFile(path, bytes) == kErrorSuccess;
}

inline constexpr SYSTEMTIME Time(std::uint16_t y, std::uint16_t mo, std::uint16_t d,
                                 std::uint16_t h, std::uint16_t mi, std::uint16_t s = 0) {
  return SYSTEMTIME{y, mo, 0, d, h, mi, s, 0};
}

}  // namespace qv::test
