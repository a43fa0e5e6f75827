#include "workspace/storage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/workspace/workspace_test_support.h"

namespace qv::test {
namespace {

std::vector<std::u16string> Names(const std::u16string& folder) {
  std::vector<FolderEntry> entries;
  ListFolder(folder, entries);
  std::vector<std::u16string> names;
  for (const FolderEntry& e : entries) names.push_back(e.name + (e.isFolder ? u"\\" : u""));
  return names;
}

// The oldest entry is a folder and the oldest file comes next, each apart in creation time, so
// that counting or deleting the folder shows.
TEST(MakeBackup, RotatesAboveThreeHundredFilesLeavingFolders) {
  for (const std::size_t filesBefore : {std::size_t{300}, std::size_t{301}}) {
    SCOPED_TRACE(filesBefore);
    ScratchFolder folder;
    const std::u16string backups = folder / u"BACKUP";
    ASSERT_EQ(SHCreateDirectory(backups + u"\\sub"), kErrorSuccess);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(WriteWholeFile(backups + u"\\oldest", std::vector<std::uint8_t>{1}), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (std::size_t i = 1; i < filesBefore; ++i) {
      WriteWholeFile(backups + u"\\b" + FormatUInt(static_cast<std::uint32_t>(i)),
                     std::vector<std::uint8_t>{2});
    }
    WriteUtf16File(folder / u"tasklist.xml", u"<Root/>");
    MakeBackup(backups, folder / u"tasklist.xml");

    const std::vector<std::u16string> names = Names(backups);
    EXPECT_EQ(names.size(), 302u);  // the folder and 301 files
    EXPECT_EQ(std::count(names.begin(), names.end(), u"oldest"), filesBefore == 300 ? 1 : 0);
  }
}

TEST(MakeBackup, NamesTheCopyAfterUtcAndReplacesItWithinTheSameSecond) {
  ScratchFolder folder;
  const std::u16string backups = folder / u"BACKUP", source = folder / u"tasklist.xml";
  const ScopedTestClock clock(Time(2027, 2, 3, 11, 5, 7), 120);  // local two hours ahead
  for (const char16_t* text : {u"<Root>first</Root>", u"<Root>second</Root>"}) {
    WriteUtf16File(source, text);
    MakeBackup(backups, source);
  }
  EXPECT_EQ(Names(backups), std::vector<std::u16string>{u"tasklist.xml2027_02_03_09-05-07.bak"});
  EXPECT_EQ(FileBytes(backups + u"\\tasklist.xml2027_02_03_09-05-07.bak"), FileBytes(source));
}

TEST(StoragePaths, FallBackToTheRootWithoutADocumentsFolder) {
  const ScopedDocumentsFolder none(std::nullopt);
  EXPECT_FALSE(WorkOutStoragePaths().documentsFound);
  EXPECT_EQ(WorkOutStoragePaths().workspaceFile, u"\\tasklist.xml");
}

// The backup comes before the load, so a damaged workspace outlives the default workspace that
// replaces it at exit; the seed is copied only while there is no workspace. Both files live in
// the documents folder.
TEST(StartUp, CopiesTheSeedOnceAndBacksUpADamagedWorkspace) {
  ScratchFolder folder;
  const ScopedDocumentsFolder documents(folder.path);
  const ScopedTestClock clock(Time(2027, 2, 3, 9, 5, 7));
  StoragePaths paths = WorkOutStoragePaths();
  paths.seedFile = folder / u"seed.xml";
  WriteUtf16File(paths.seedFile, u"<Root><TaskList TaskListName='Seeded'/></Root>");
  HeadlessHost host;
  Workspace seeded(host), damaged(host);
  EXPECT_TRUE(LoadStartupWorkspace(seeded, paths));
  EXPECT_EQ(FileBytes(folder / u"Quorvane\\tasklist.xml"), FileBytes(paths.seedFile));
  EXPECT_TRUE(Names(paths.backupFolder).empty());

  WriteUtf16File(paths.workspaceFile, u"<Root><TaskList TaskListName='cut off");
  const std::vector<std::uint8_t> cut = FileBytes(paths.workspaceFile);
  EXPECT_FALSE(LoadStartupWorkspace(damaged, paths));
  EXPECT_EQ(damaged.ListWindows.at(0)->title, u"Hot Tasks");
  ASSERT_EQ(SaveWorkspace(damaged, paths.workspaceFile), XmlError::NoError);
  EXPECT_EQ(FileBytes(folder / u"Quorvane\\BACKUP\\tasklist.xml2027_02_03_09-05-07.bak"), cut);
}

}  // namespace
}  // namespace qv::test
