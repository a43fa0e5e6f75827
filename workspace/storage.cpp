#include "workspace/storage.h"

#include "workspace/workspace_file.h"

namespace qv {
namespace {

std::u16string CutPath(std::u16string path) {
  if (path.size() > kMaxPathChars) path.resize(kMaxPathChars);
  return path;
}

std::u16string Padded(std::uint16_t value, std::size_t digits) {
  std::u16string text = FormatUInt(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), u'0');
  return text;
}

}  // namespace

StoragePaths WorkOutStoragePaths() {
  StoragePaths paths;
  const NullableText documents = DocumentsFolder();
  paths.documentsFound = documents.has_value();
  paths.programFolder = CutPath(ProgramFolder());
  paths.userDataFolder = documents ? CutPath(*documents + u"\\Quorvane") : std::u16string();
  paths.backupFolder = CutPath(paths.userDataFolder + u"\\BACKUP");
  paths.workspaceFile = CutPath(paths.userDataFolder + u"\\" + kWorkspaceFileName);
  paths.seedFile = CutPath(paths.programFolder + u"\\" + kWorkspaceFileName);
  return paths;
}

std::u16string BackupFileName(const std::u16string& backupFolder, const SYSTEMTIME& utc) {
  return CutPath(backupFolder + u"\\" + kWorkspaceFileName + Padded(utc.wYear, 4) + u"_" +
                 Padded(utc.wMonth, 2) + u"_" + Padded(utc.wDay, 2) + u"_" + Padded(utc.wHour, 2) +
                 u"-" + Padded(utc.wMinute, 2) + u"-" + Padded(utc.wSecond, 2) + u".bak");
}

std::optional<std::size_t> BackupToDelete(std::span<const FolderEntry> entries, FILETIME now) {
  std::size_t count = 0;
  std::uint64_t oldestTime = FileTimeToU64(now);
  std::optional<std::size_t> oldest;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].isFolder) continue;
    ++count;
    const std::uint64_t created = FileTimeToU64(entries[i].creationTime);
    if (created < oldestTime) {
      oldestTime = created;
      oldest = i;
    }
  }
  return count > kBackupLimit ? oldest : std::nullopt;
}

void MakeBackup(const std::u16string& backupFolder, const std::u16string& source) {
  CreateDirectoryW(backupFolder);
  std::vector<FolderEntry> entries;
  if (ListFolder(backupFolder, entries) == kErrorSuccess) {
    if (const auto oldest = BackupToDelete(entries, GetSystemTimeAsFileTime())) {
      DeleteFileW(CutPath(backupFolder + u"\\" + entries[*oldest].name));
    }
  }
  CopyFileW(source, BackupFileName(backupFolder, GetSystemTime()), false);
}

bool LoadStartupWorkspace(Workspace& ws, const StoragePaths& paths) {
  if (paths.documentsFound) {
    SHCreateDirectory(paths.backupFolder);
    MakeBackup(paths.backupFolder, paths.workspaceFile);
  }
  CopyFileW(paths.seedFile, paths.workspaceFile, true);
  if (LoadWorkspace(ws, paths.workspaceFile)) return true;
  CreateDefaultWorkspace(ws);
  return false;
}

}  // namespace qv
