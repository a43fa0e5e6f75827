#pragma once
// Shared by the workspace and workspace command tests: a scratch folder per test and files
// written as the program writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "model/headless.h"
#include "tests/xml/xml_test_support.h"
#include "workspace/workspace_file.h"

namespace qv::test {

// std::filesystem does not know the platform layer's '\' on Linux.
inline std::filesystem::path NativePath(std::u16string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), u'\\', u'/');
#endif
  return std::filesystem::path(path);
}

// Named after the running test so that tests never see each other's leftovers.
struct ScratchFolder {
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = TempFolder() + u"\\quorvane-ws-" + Utf8ToUtf16(info->name());
    std::filesystem::remove_all(NativePath(path));
    SHCreateDirectory(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(NativePath(path), ignored);
  }
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

inline void WriteUtf16File(const std::u16string& path, std::u16string_view text) {
  ASSERT_EQ(WriteWholeFile(path, Utf16LeBytes(text, true)), kErrorSuccess);
}

inline constexpr SYSTEMTIME Time(std::uint16_t y, std::uint16_t mo, std::uint16_t d,
                                 std::uint16_t h, std::uint16_t mi, std::uint16_t s = 0) {
  return SYSTEMTIME{y, mo, 0, d, h, mi, s, 0};
}

inline std::vector<std::u16string> TitlesOf(const Workspace& ws) {
  std::vector<std::u16string> titles;
  for (const auto& entry : ws.ListWindows) titles.push_back(entry->window->Title());
  return titles;
}

// A saved workspace file read back without windows, as the next start reads it.
struct Reloaded {
  explicit Reloaded(const std::u16string& path) : loaded(LoadWorkspace(ws, path)) {}
  std::vector<std::u16string> Titles() const { return TitlesOf(ws); }
  std::vector<std::u16string> Names(std::size_t list) const {
    std::vector<std::u16string> names;
    for (const auto& item : ws.ListWindows.at(list)->window->tasks)
      names.push_back(*item->task.name);
    return names;
  }
  HeadlessHost host;
  Workspace ws{host};
  bool loaded;
};

}  // namespace qv::test
