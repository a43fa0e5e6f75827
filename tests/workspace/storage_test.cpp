#include "workspace/storage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/workspace/workspace_test_support.h"
#include "workspace/workspace_file.h"

namespace qv {
namespace {

using test::FileBytes;
using test::Time;

std::vector<std::u16string> FileNames(const std::u16string& folder) {
  std::vector<FolderEntry> entries;
  ListFolder(folder, entries);
  std::vector<std::u16string> names;
  for (const FolderEntry& e : entries) {
    if (!e.isFolder) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(BackupFileName, IsBuiltFromUtcWithoutSeparator) {
  EXPECT_EQ(BackupFileName(u"B", Time(2026, 12, 5, 10, 23, 37)),
            u"B\\tasklist.xml2026_12_05_10-23-37.bak");
  EXPECT_EQ(BackupFileName(u"B", Time(2027, 2, 3, 9, 5, 7)),
            u"B\\tasklist.xml2027_02_03_09-05-07.bak");
  EXPECT_EQ(BackupFileName(u"B", Time(987, 1, 1, 0, 0, 0)),
            u"B\\tasklist.xml0987_01_01_00-00-00.bak");
  EXPECT_EQ(BackupFileName(std::u16string(300, u'x'), Time(2027, 1, 1, 0, 0)).size(),
            kMaxPathChars);
}

TEST(BackupToDelete, PicksTheFirstEarliestFileOnlyAboveTheLimit) {
  const FILETIME now = U64ToFileTime(1000);
  const auto files = [](std::size_t count, std::uint64_t created) {
    return std::vector<FolderEntry>(count, FolderEntry{u"f", false, U64ToFileTime(created)});
  };
  std::vector<FolderEntry> exactly300 = files(300, 500);
  exactly300[7].creationTime = U64ToFileTime(1);
  EXPECT_EQ(BackupToDelete(exactly300, now), std::nullopt);

  std::vector<FolderEntry> over = files(301, 500);
  over[40].creationTime = U64ToFileTime(2);
  over[90].creationTime = U64ToFileTime(2);  // a tie: the first found stays chosen
  EXPECT_EQ(BackupToDelete(over, now), std::optional<std::size_t>(40));

  std::vector<FolderEntry> withFolders = files(300, 500);
  withFolders.insert(withFolders.begin(), {u"old folder", true, U64ToFileTime(1)});
  EXPECT_EQ(BackupToDelete(withFolders, now), std::nullopt);  // a folder does not count
  withFolders.push_back({u"f", false, U64ToFileTime(3)});
  EXPECT_EQ(BackupToDelete(withFolders, now), std::optional<std::size_t>(301));

  EXPECT_EQ(BackupToDelete(files(400, 1000), now), std::nullopt);  // none earlier than now
}

// Real files: a marked oldest one made first, a pause so that its creation time stands apart,
// then the rest.
struct RotationCase {
  std::size_t filesBefore;
  bool oldestDeleted;
};

TEST(MakeBackup, RotatesAtThreeHundredFiles) {
  for (const RotationCase c : {RotationCase{300, false}, RotationCase{301, true}}) {
    SCOPED_TRACE(c.filesBefore);
    test::ScratchFolder folder;
    const std::u16string backups = folder / u"BACKUP";
    ASSERT_EQ(CreateDirectoryW(backups), kErrorSuccess);
    ASSERT_EQ(WriteWholeFile(backups + u"\\oldest.any", std::vector<std::uint8_t>{1}), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(CreateDirectoryW(backups + u"\\sub"), kErrorSuccess);
    for (std::size_t i = 1; i < c.filesBefore; ++i) {
      WriteWholeFile(backups + u"\\b" + FormatUInt(static_cast<std::uint32_t>(i)),
                     std::vector<std::uint8_t>{2});
    }
    const std::u16string source = folder / u"tasklist.xml";
    test::WriteUtf16File(source, u"<Root/>");
    MakeBackup(backups, source);

    const std::vector<std::u16string> names = FileNames(backups);
    EXPECT_EQ(names.size(), 301u);
    EXPECT_EQ(std::count(names.begin(), names.end(), u"oldest.any"), c.oldestDeleted ? 0 : 1);
    std::vector<FolderEntry> entries;
    ListFolder(backups, entries);
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [](const FolderEntry& e) { return e.isFolder && e.name == u"sub"; }));
  }
}

TEST(MakeBackup, CopiesTheWorkspaceFileUnderTheUtcName) {
  test::ScratchFolder folder;
  const std::u16string backups = folder / u"BACKUP";
  const std::u16string source = folder / u"tasklist.xml";
  test::WriteUtf16File(source, u"<Root>first</Root>");
  // Local time is two hours ahead of UTC: the name must not follow it.
  ScopedTestClock clock(Time(2027, 2, 3, 11, 5, 7), 120);
  MakeBackup(backups, source);
  const std::u16string expected = backups + u"\\tasklist.xml2027_02_03_09-05-07.bak";
  EXPECT_EQ(FileBytes(expected), FileBytes(source));

  // A second start within the same second replaces that backup.
  test::WriteUtf16File(source, u"<Root>second</Root>");
  MakeBackup(backups, source);
  EXPECT_EQ(FileNames(backups).size(), 1u);
  EXPECT_EQ(FileBytes(expected), FileBytes(source));

  // Without a workspace file there is nothing to back up, silently.
  clock.Advance(kTicksPerSecond);
  MakeBackup(backups, folder / u"missing.xml");
  EXPECT_EQ(FileNames(backups).size(), 1u);
}

class StartUp : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
  ScopedDocumentsFolder documents{folder.path};
  ScopedTestClock clock{Time(2027, 2, 3, 9, 5, 7)};
  StoragePaths paths = WorkOutStoragePaths();
  std::u16string seed = folder / u"seed.xml";
  HeadlessHost host;
  Workspace ws{host};

  void SetUp() override { paths.seedFile = seed; }
};

TEST_F(StartUp, WorksOutThePaths) {
  EXPECT_TRUE(paths.documentsFound);
  EXPECT_EQ(paths.userDataFolder, folder.path + u"\\Quorvane");
  EXPECT_EQ(paths.backupFolder, folder.path + u"\\Quorvane\\BACKUP");
  EXPECT_EQ(paths.workspaceFile, folder.path + u"\\Quorvane\\tasklist.xml");
  EXPECT_EQ(WorkOutStoragePaths().seedFile, ProgramFolder() + u"\\tasklist.xml");
}

TEST(StoragePaths, WithoutDocumentsTheWorkspaceIsAtTheRoot) {
  const ScopedDocumentsFolder none(std::nullopt);
  const StoragePaths without = WorkOutStoragePaths();
  EXPECT_FALSE(without.documentsFound);
  EXPECT_EQ(without.workspaceFile, u"\\tasklist.xml");
}

TEST(StoragePaths, LongPathsAreCut) {
  const ScopedDocumentsFolder deep(u"C:\\" + std::u16string(300, u'd'));
  EXPECT_EQ(WorkOutStoragePaths().workspaceFile.size(), kMaxPathChars);
}

TEST_F(StartUp, FirstStartCopiesTheSeedAndLoadsIt) {
  test::WriteUtf16File(seed, u"<Root><TaskList TaskListName='Seeded'/></Root>");
  EXPECT_TRUE(LoadStartupWorkspace(ws, paths));
  EXPECT_EQ(FileBytes(paths.workspaceFile), FileBytes(seed));
  EXPECT_EQ(FileNames(paths.backupFolder).size(), 0u);  // no workspace yet, nothing to keep
  ASSERT_EQ(ws.ListWindows.size(), 1u);
  EXPECT_EQ(ws.ListWindows[0]->title, u"Seeded");
}

TEST_F(StartUp, AnExistingWorkspaceIsNeverOverwrittenBySeed) {
  test::WriteUtf16File(seed, u"<Root><TaskList TaskListName='Seeded'/></Root>");
  SHCreateDirectory(paths.userDataFolder);
  test::WriteUtf16File(paths.workspaceFile, u"<Root><TaskList TaskListName='Mine'/></Root>");
  const std::vector<std::uint8_t> mine = FileBytes(paths.workspaceFile);
  EXPECT_TRUE(LoadStartupWorkspace(ws, paths));
  EXPECT_EQ(FileBytes(paths.workspaceFile), mine);
  EXPECT_EQ(ws.ListWindows[0]->title, u"Mine");
  EXPECT_EQ(FileBytes(paths.backupFolder + u"\\tasklist.xml2027_02_03_09-05-07.bak"), mine);
}

// The backup is made before loading, so a workspace that cannot be loaded, and is replaced by
// the default workspace at exit, survives in the backup folder.
TEST_F(StartUp, AnUnloadableWorkspaceSurvivesInTheBackup) {
  SHCreateDirectory(paths.userDataFolder);
  test::WriteUtf16File(paths.workspaceFile, u"<Root><TaskList TaskListName='cut off");
  const std::vector<std::uint8_t> damaged = FileBytes(paths.workspaceFile);
  EXPECT_FALSE(LoadStartupWorkspace(ws, paths));
  ASSERT_EQ(ws.ListWindows.size(), 3u);  // the default workspace
  EXPECT_EQ(ws.ListWindows[0]->title, u"Hot Tasks");

  ASSERT_EQ(SaveWorkspace(ws, paths.workspaceFile), XmlError::NoError);  // at exit
  EXPECT_NE(FileBytes(paths.workspaceFile), damaged);
  EXPECT_EQ(FileBytes(paths.backupFolder + u"\\tasklist.xml2027_02_03_09-05-07.bak"), damaged);
}

}  // namespace
}  // namespace qv
