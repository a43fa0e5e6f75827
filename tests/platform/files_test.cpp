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
// Enough attempts to step past folders that earlier, interrupted runs left behind.
constexpr int kMaxFolderAttempts = 100;

// Names with "is a folder", sorted by name.
using Listing = std::vector<std::pair<std::u16string, bool>>;

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::filesystem::path SystemPath(std::u16string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), u'\\', u'/');
#endif
  return std::filesystem::path(path);
}

// Each test works in its own new folder below TempFolder() and removes it afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::u16string base = TempFolder() + u"\\quorvane-" + Utf8ToUtf16(name) + u"-";
    Win32Error error = kErrorAlreadyExists;
    for (int n = 0; n < kMaxFolderAttempts && error == kErrorAlreadyExists; ++n) {
      folder_ = base + FormatInt(n);
      error = CreateDirectoryW(folder_);
    }
    ASSERT_EQ(error, kErrorSuccess);
  }

  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(SystemPath(folder_), ignored);
  }

  std::u16string In(std::u16string_view name) const {
    return folder_ + u"\\" + std::u16string(name);
  }

  void Write(std::u16string_view name, std::string_view content) const {
    ASSERT_EQ(WriteWholeFile(In(name), Bytes(content)), kErrorSuccess);
  }

  std::vector<std::uint8_t> Read(std::u16string_view name) const {
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(ReadWholeFile(In(name), bytes), kErrorSuccess);
    return bytes;
  }

  Listing Names(std::u16string_view name = {}) const {
    std::vector<FolderEntry> entries;
    EXPECT_EQ(ListFolder(name.empty() ? folder_ : In(name), entries), kErrorSuccess);
    Listing names;
    for (const FolderEntry& entry : entries) names.emplace_back(entry.name, entry.isFolder);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::u16string folder_;
};

TEST_F(FilesTest, WriteThenReadGivesTheSameBytes) {
  std::string large(64 * 1024 + 1, '\0');  // one byte past a read chunk
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 256);
  const std::pair<std::u16string_view, std::string> cases[] = {
      {u"plain.txt", std::string("line\r\n\0\xFF", 8)},
      {u"empty.bin", ""},
      {u"Zürich ✓ 日本.txt", "named in three scripts"},
      {u"large.bin", large},
  };
  for (const auto& [name, content] : cases) {
    Write(name, content);
    EXPECT_EQ(Read(name), Bytes(content)) << Utf16ToUtf8(name);
  }
  Write(u"plain.txt", "short");
  EXPECT_EQ(Read(u"plain.txt"), Bytes("short"));
  EXPECT_EQ(Names(), (Listing{{u"Zürich ✓ 日本.txt", false},
                              {u"empty.bin", false},
                              {u"large.bin", false},
                              {u"plain.txt", false}}));
}

TEST_F(FilesTest, ReadAndWriteFailures) {
  ASSERT_EQ(CreateDirectoryW(In(u"sub")), kErrorSuccess);
  std::vector<std::uint8_t> bytes = Bytes("kept");
  EXPECT_EQ(ReadWholeFile(In(u"missing.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
  EXPECT_EQ(bytes, Bytes("kept"));
  EXPECT_EQ(WriteWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(WriteWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
}

TEST_F(FilesTest, CopyFile) {
  Write(u"source.txt", "source");
  Write(u"target.txt", "target");
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"target.txt"), true), kErrorFileExists);
  EXPECT_EQ(Read(u"target.txt"), Bytes("target"));
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"target.txt"), false), kErrorSuccess);
  EXPECT_EQ(Read(u"target.txt"), Bytes("source"));
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"new.txt"), true), kErrorSuccess);
  EXPECT_EQ(Read(u"new.txt"), Bytes("source"));
  EXPECT_EQ(Read(u"source.txt"), Bytes("source"));

  EXPECT_EQ(CopyFileW(In(u"missing.txt"), In(u"other.txt"), false), kErrorFileNotFound);
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"missing\\other.txt"), false), kErrorPathNotFound);
  // Nothing else appeared, not even a leftover of a failed copy.
  EXPECT_EQ(Names(),
            (Listing{{u"new.txt", false}, {u"source.txt", false}, {u"target.txt", false}}));
}

TEST_F(FilesTest, MoveFile) {
  Write(u"a.txt", "a");
  Write(u"b.txt", "b");
  EXPECT_EQ(MoveFileExW(In(u"a.txt"), In(u"b.txt"), false), kErrorAlreadyExists);
  EXPECT_EQ(Read(u"a.txt"), Bytes("a"));
  EXPECT_EQ(Read(u"b.txt"), Bytes("b"));
  EXPECT_EQ(MoveFileExW(In(u"a.txt"), In(u"b.txt"), true), kErrorSuccess);
  EXPECT_EQ(Read(u"b.txt"), Bytes("a"));
  EXPECT_EQ(MoveFileExW(In(u"b.txt"), In(u"c.txt"), false), kErrorSuccess);
  EXPECT_EQ(Names(), (Listing{{u"c.txt", false}}));
  EXPECT_EQ(MoveFileExW(In(u"missing.txt"), In(u"d.txt"), true), kErrorFileNotFound);
  EXPECT_EQ(MoveFileExW(In(u"c.txt"), In(u"missing\\d.txt"), true), kErrorPathNotFound);
}

TEST_F(FilesTest, DeleteFile) {
  Write(u"doomed.txt", "x");
  ASSERT_EQ(CreateDirectoryW(In(u"sub")), kErrorSuccess);
  EXPECT_EQ(DeleteFileW(In(u"doomed.txt")), kErrorSuccess);
  EXPECT_EQ(DeleteFileW(In(u"doomed.txt")), kErrorFileNotFound);
  EXPECT_EQ(DeleteFileW(In(u"missing\\doomed.txt")), kErrorPathNotFound);
  EXPECT_EQ(DeleteFileW(In(u"sub")), kErrorAccessDenied);
  EXPECT_EQ(Names(), (Listing{{u"sub", true}}));
}

TEST_F(FilesTest, CreateFolders) {
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorSuccess);
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorAlreadyExists);
  EXPECT_EQ(CreateDirectoryW(In(u"missing\\two")), kErrorPathNotFound);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a\\b")), kErrorSuccess);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a\\b")), kErrorAlreadyExists);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a")), kErrorAlreadyExists);
  EXPECT_EQ(SHCreateDirectory(u"relative\\folder"), kErrorBadPathname);
  EXPECT_EQ(Names(), (Listing{{u"one", true}}));
  EXPECT_EQ(Names(u"one\\a"), (Listing{{u"b", true}}));
}

TEST_F(FilesTest, ListFolderGivesNamesKindsAndCreationTimes) {
  const std::uint64_t start = FileTimeToU64(GetSystemTimeAsFileTime());
  Write(u"b.txt", "b");
  ASSERT_EQ(CreateDirectoryW(In(u"a")), kErrorSuccess);
  Write(u"c", "c");
  const std::uint64_t end = FileTimeToU64(GetSystemTimeAsFileTime());

  ASSERT_EQ(Names(), (Listing{{u"a", true}, {u"b.txt", false}, {u"c", false}}));
  std::vector<FolderEntry> entries;
  ASSERT_EQ(ListFolder(folder_, entries), kErrorSuccess);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  for (const FolderEntry& entry : entries) {
    const std::uint64_t time = FileTimeToU64(entry.creationTime);
    EXPECT_GE(time + kTimeSlackTicks, start) << Utf16ToUtf8(entry.name);
    EXPECT_LE(time, end + kTimeSlackTicks) << Utf16ToUtf8(entry.name);
  }
  const auto created = [&](std::size_t i) { return FileTimeToU64(entries[i].creationTime); };
  EXPECT_LE(created(1), created(0));  // b.txt, then a
  EXPECT_LE(created(0), created(2));  // a, then c

  EXPECT_TRUE(Names(u"a").empty());
  std::vector<FolderEntry> untouched(1);
  EXPECT_EQ(ListFolder(In(u"missing"), untouched), kErrorPathNotFound);
  EXPECT_EQ(untouched.size(), 1u);
}

TEST(KnownFolders, TempAndProgramFoldersAreListableWithoutTrailingSeparator) {
  for (const std::u16string& folder : {TempFolder(), ProgramFolder()}) {
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), u'\\');
    EXPECT_NE(folder.back(), u'/');
    std::vector<FolderEntry> entries;
    EXPECT_EQ(ListFolder(folder, entries), kErrorSuccess) << Utf16ToUtf8(folder);
  }
  std::vector<FolderEntry> entries;
  ASSERT_EQ(ListFolder(ProgramFolder(), entries), kErrorSuccess);
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const FolderEntry& entry) {
    return entry.name.starts_with(u"platform_tests");
  }));
}

TEST(KnownFolders, ScopedDocumentsFolderReplacesTheSystemAnswer) {
  const NullableText system = DocumentsFolder();
  {
    const ScopedDocumentsFolder scoped(u"X:\\Tests\\Documents");
    EXPECT_EQ(DocumentsFolder(), u"X:\\Tests\\Documents");
  }
  {
    const ScopedDocumentsFolder scoped(std::nullopt);
    EXPECT_EQ(DocumentsFolder(), std::nullopt);
  }
  EXPECT_EQ(DocumentsFolder(), system);
}

TEST_F(FilesTest, OpenWithDefaultProgramNeedsAnExistingFile) {
  EXPECT_EQ(OpenWithDefaultProgram(In(u"missing.txt")), kErrorFileNotFound);
#ifndef _WIN32
  Write(u"report.html", "<p>");
  EXPECT_EQ(OpenWithDefaultProgram(In(u"report.html")), kErrorSuccess);
  EXPECT_EQ(TakeOpenRequests(), std::vector<std::u16string>{In(u"report.html")});
  EXPECT_TRUE(TakeOpenRequests().empty());
#endif
}

}  // namespace
}  // namespace qv
