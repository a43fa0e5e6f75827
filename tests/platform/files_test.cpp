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
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // Numbered, to step past folders that earlier, interrupted runs left behind.
    Win32Error error = kErrorAlreadyExists;
    for (int n = 0; n < 100 && error == kErrorAlreadyExists; ++n) {
      folder_ = TempFolder() + u"\\quorvane-" + Utf8ToUtf16(test) + u"-" + FormatInt(n);
      error = CreateDirectoryW(folder_);
    }
    ASSERT_EQ(error, kErrorSuccess);
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
      {u"Zürich ✓ 日本.txt", "named in three scripts"},
      {u"large.bin", large},
  };
  for (const auto& [name, content] : cases) {
    Write(name, content);
    EXPECT_EQ(Read(name), content) << Utf16ToUtf8(name);
  }
  Write(u"plain.txt", "short");
  EXPECT_EQ(Read(u"plain.txt"), "short");

  ASSERT_EQ(CreateDirectoryW(In(u"sub")), kErrorSuccess);
  std::vector<std::uint8_t> bytes(3, 'k');
  EXPECT_EQ(ReadWholeFile(In(u"missing.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(3, 'k'));
  EXPECT_EQ(WriteWholeFile(In(u"missing\\file.txt"), bytes), kErrorFileNotFound);
  EXPECT_EQ(WriteWholeFile(In(u"sub"), bytes), kErrorAccessDenied);
}

TEST_F(FilesTest, CopyFile) {
  Write(u"source.txt", "source");
  Write(u"target.txt", "target");
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"target.txt"), true), kErrorFileExists);
  EXPECT_EQ(Read(u"target.txt"), "target");
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"target.txt"), false), kErrorSuccess);
  EXPECT_EQ(Read(u"target.txt"), "source");
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"new.txt"), true), kErrorSuccess);
  EXPECT_EQ(CopyFileW(In(u"missing.txt"), In(u"other.txt"), false), kErrorFileNotFound);
  EXPECT_EQ(CopyFileW(In(u"source.txt"), In(u"missing\\other.txt"), false), kErrorPathNotFound);
  // Nothing else appeared, not even a leftover of a failed copy.
  EXPECT_EQ(Names(),
            (Listing{{u"new.txt", false}, {u"source.txt", false}, {u"target.txt", false}}));
}

TEST_F(FilesTest, MoveAndDeleteFile) {
  Write(u"a.txt", "a");
  Write(u"b.txt", "b");
  EXPECT_EQ(MoveFileExW(In(u"a.txt"), In(u"b.txt"), false), kErrorAlreadyExists);
  EXPECT_EQ(Read(u"b.txt"), "b");
  EXPECT_EQ(MoveFileExW(In(u"a.txt"), In(u"b.txt"), true), kErrorSuccess);
  EXPECT_EQ(Read(u"b.txt"), "a");
  EXPECT_EQ(MoveFileExW(In(u"b.txt"), In(u"c.txt"), false), kErrorSuccess);
  EXPECT_EQ(Names(), (Listing{{u"c.txt", false}}));
  EXPECT_EQ(MoveFileExW(In(u"missing.txt"), In(u"d.txt"), true), kErrorFileNotFound);
  EXPECT_EQ(MoveFileExW(In(u"c.txt"), In(u"missing\\d.txt"), true), kErrorPathNotFound);

  EXPECT_EQ(DeleteFileW(In(u"c.txt")), kErrorSuccess);
  EXPECT_EQ(DeleteFileW(In(u"c.txt")), kErrorFileNotFound);
  EXPECT_EQ(DeleteFileW(In(u"missing\\c.txt")), kErrorPathNotFound);
  ASSERT_EQ(CreateDirectoryW(In(u"sub")), kErrorSuccess);
  EXPECT_EQ(DeleteFileW(In(u"sub")), kErrorAccessDenied);
}

TEST_F(FilesTest, CreateFolders) {
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorSuccess);
  EXPECT_EQ(CreateDirectoryW(In(u"one")), kErrorAlreadyExists);
  EXPECT_EQ(CreateDirectoryW(In(u"missing\\two")), kErrorPathNotFound);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a\\b")), kErrorSuccess);
  EXPECT_EQ(SHCreateDirectory(In(u"one\\a")), kErrorAlreadyExists);
  EXPECT_EQ(SHCreateDirectory(u"relative\\folder"), kErrorBadPathname);
  EXPECT_EQ(Names(u"one\\a"), (Listing{{u"b", true}}));
  Write(u"one\\file", "");
  EXPECT_EQ((std::vector<bool>{IsFolder(In(u"one\\a\\b")), IsFolder(In(u"one\\file")),
                               IsFolder(In(u"missing"))}),
            (std::vector<bool>{true, false, false}));
}

TEST_F(FilesTest, ListFolderGivesNamesKindsAndCreationTimes) {
  const std::uint64_t start = FileTimeToU64(GetSystemTimeAsFileTime());
  Write(u"Zürich ✓ 日本.txt", "");
  ASSERT_EQ(CreateDirectoryW(In(u"a")), kErrorSuccess);
  const std::uint64_t end = FileTimeToU64(GetSystemTimeAsFileTime());
  EXPECT_EQ(Names(), (Listing{{u"Zürich ✓ 日本.txt", false}, {u"a", true}}));
  EXPECT_TRUE(Names(u"a").empty());
  std::vector<FolderEntry> entries(1);
  EXPECT_EQ(ListFolder(In(u"missing"), entries), kErrorPathNotFound);
  EXPECT_EQ(entries.size(), 1u);
  ASSERT_EQ(ListFolder(folder_, entries), kErrorSuccess);
  for (const FolderEntry& entry : entries) {
    const std::uint64_t time = FileTimeToU64(entry.creationTime);
    EXPECT_GE(time + kTimeSlackTicks, start) << Utf16ToUtf8(entry.name);
    EXPECT_LE(time, end + kTimeSlackTicks) << Utf16ToUtf8(entry.name);
  }
}

TEST(KnownFolders, ListableWithoutTrailingSeparatorAndDocumentsReplaceable) {
  std::vector<FolderEntry> entries;
  for (const std::u16string& folder : {TempFolder(), ProgramFolder()}) {
    EXPECT_FALSE(folder.ends_with(u'\\') || folder.ends_with(u'/')) << Utf16ToUtf8(folder);
    ASSERT_EQ(ListFolder(folder, entries), kErrorSuccess) << Utf16ToUtf8(folder);
  }
  // The program's own folder was listed last.
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const FolderEntry& entry) {
    return entry.name.starts_with(u"platform_tests");
  }));

  const NullableText system = DocumentsFolder();
  // No text is an answer of its own, not a return to the system's.
  for (const NullableText& folder : {NullableText(u"X:\\Tests\\Documents"), NullableText()}) {
    const ScopedDocumentsFolder scoped(folder);
    EXPECT_EQ(DocumentsFolder(), folder);
  }
  EXPECT_EQ(DocumentsFolder(), system);
}

TEST(PathForDisplay, ShowsThePathAsTheSystemWritesIt) {
#ifdef _WIN32
  EXPECT_EQ(PathForDisplay(u"C:\\Users\\Zoë\\a.txt"), "C:\\Users\\Zoë\\a.txt");
#else
  EXPECT_EQ(PathForDisplay(u"/home\\Zoë\\a.txt"), "/home/Zoë/a.txt");
#endif
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
