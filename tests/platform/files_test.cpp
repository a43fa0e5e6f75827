#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace qv {
namespace {

constexpr Win32Error kErrorBadPathname = 161;
// File systems store times coarsely (FAT: 2 s), and file times come from a coarser clock.
constexpr std::uint64_t kTimeSlackTicks = 2 * kTicksPerSecond;

// Names with "is a folder", sorted by name.
using Listing = std::vector<std::pair<std::u16string, bool>>;

// Each test works in its own new folder below TempFolder() and removes it afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder() + u"\\quorvane-" +
              Utf8ToUtf16(::testing::UnitTest::GetInstance()->current_test_info()->name());
    TearDown();  // what an interrupted run left behind
    ASSERT_EQ(CreateDirectoryW(folder_), kErrorSuccess);
  }

  void TearDown() override {
    std::u16string path = folder_;
    std::replace(path.begin(), path.end(), u'\\', u'/');  // which Windows takes too
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }

  std::u16string In(const char16_t* name) const { return folder_ + u"\\" + name; }

  void Write(const char16_t* name, std::string_view text) const {
    ASSERT_EQ(WriteWholeFile(In(name), std::vector<std::uint8_t>(text.begin(), text.end())),
              kErrorSuccess);
  }

  std::string Read(const char16_t* name) const {
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(In(name), bytes), kErrorSuccess);
    return {bytes.begin(), bytes.end()};
  }

  Listing Names(const char16_t* name = nullptr) const {
    std::vector<FolderEntry> entries;
    EXPECT_EQ(ListFolder(name ? In(name) : folder_, entries), kErrorSuccess);
    Listing names;
    for (const FolderEntry& entry : entries) names.emplace_back(entry.name, entry.isFolder);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::u16string folder_;
};

TEST_F(FilesTest, WriteAndRead) {
  std::string large(64 * 1024 + 1, '\0');  // one byte past a read chunk
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 256);
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"plain.txt", std::string("line\r\n\0\xFF", 8)},
      {u"empty.bin", ""},
      {u"large.bin", large},
      {u"plain.txt", "short"},  // truncated
  };
  for (const auto& [name, content] : cases) {
    Write(name, content);
    EXPECT_EQ(Read(name), content) << Utf16ToUtf8(name);
  }
  ASSERT_EQ(CreateDirectoryW(In(u"sub")), kErrorSuccess);
  std::vector<std::uint8_t> bytes(3, 'k');
  EXPECT_EQ(ReadWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(3, 'k'));
  EXPECT_EQ(WriteWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(WriteWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
}

TEST_F(FilesTest, CopyMoveDeleteAndCreateGiveTheSystemsCodes) {
  Write(u"a.txt", "a");
  Write(u"b.txt", "b");
  EXPECT_EQ(CopyFileW(In(u"a.txt"), In(u"b.txt"), true), kErrorFileExists);
  EXPECT_EQ(CopyFileW(In(u"missing.txt"), In(u"c.txt"), false), kErrorFileNotFound);
  EXPECT_EQ(CopyFileW(In(u"a.txt"), In(u"missing\\c.txt"), false), kErrorPathNotFound);
  EXPECT_EQ(CopyFileW(In(u"a.txt"), In(u"c.txt"), true), kErrorSuccess);
  EXPECT_EQ(MoveFileExW(In(u"c.txt"), In(u"b.txt"), false), kErrorAlreadyExists);
  EXPECT_EQ(MoveFileExW(In(u"c.txt"), In(u"missing\\d.txt"), true), kErrorPathNotFound);
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorSuccess);
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorAlreadyExists);
  EXPECT_EQ(CreateDirectoryW(In(u"missing\\two")), kErrorPathNotFound);
  EXPECT_EQ(DeleteFileW(In(u"one")), kErrorAccessDenied);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a\\b")), kErrorSuccess);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a")), kErrorAlreadyExists);
  EXPECT_EQ(SHCreateDirectory(u"relative\\folder"), kErrorBadPathname);
  // Nothing else appeared, not even a leftover of a failed copy.
  EXPECT_EQ(Names(),
            (Listing{{u"a.txt", false}, {u"b.txt", false}, {u"c.txt", false}, {u"one", true}}));
  EXPECT_EQ(Names(u"one\\a"), (Listing{{u"b", true}}));
  EXPECT_EQ(CopyFileW(In(u"a.txt"), In(u"b.txt"), false), kErrorSuccess);
  EXPECT_EQ(Read(u"b.txt"), "a");
  Write(u"c.txt", "c");
  EXPECT_EQ(MoveFileExW(In(u"c.txt"), In(u"b.txt"), true), kErrorSuccess);
  EXPECT_EQ(Read(u"b.txt"), "c");
  EXPECT_EQ(DeleteFileW(In(u"b.txt")), kErrorSuccess);
  EXPECT_EQ(DeleteFileW(In(u"b.txt")), kErrorFileNotFound);
}

// Kinds are checked with the listings above; the backups are rotated by these times.
TEST_F(FilesTest, ListFolderGivesNamesInAnyScriptAndCreationTimes) {
  const std::uint64_t start = FileTimeToU64(GetSystemTimeAsFileTime());
  Write(u"Zürich ✓ 日本.txt", "");
  const std::uint64_t end = FileTimeToU64(GetSystemTimeAsFileTime());
  std::vector<FolderEntry> entries(1);
  EXPECT_EQ(ListFolder(In(u"missing"), entries), kErrorPathNotFound);
  EXPECT_EQ(entries.size(), 1u);
  ASSERT_EQ(ListFolder(folder_, entries), kErrorSuccess);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, u"Zürich ✓ 日本.txt");
  const std::uint64_t time = FileTimeToU64(entries[0].creationTime);
  EXPECT_TRUE(time + kTimeSlackTicks >= start && time <= end + kTimeSlackTicks) << time - start;
}

// The known folders and their stand-ins are exercised by every test that writes a file and by
// the storage tests.
TEST_F(FilesTest, PathsForDisplayAndOpeningAFile) {
  EXPECT_EQ(OpenWithDefaultProgram(In(u"missing.txt")), kErrorFileNotFound);
#ifdef _WIN32
  EXPECT_EQ(PathForDisplay(u"C:\\Users\\Zoë\\a.txt"), "C:\\Users\\Zoë\\a.txt");
#else
  EXPECT_EQ(PathForDisplay(u"/home\\Zoë\\a.txt"), "/home/Zoë/a.txt");
  Write(u"report.html", "<p>");
  EXPECT_EQ(OpenWithDefaultProgram(In(u"report.html")), kErrorSuccess);
  EXPECT_EQ(TakeOpenRequests(), std::vector<std::u16string>{In(u"report.html")});
  EXPECT_TRUE(TakeOpenRequests().empty());
#endif
}

}  // namespace
}  // namespace qv
