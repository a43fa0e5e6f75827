#pragma once
// Where the workspace lives, the seed copy shipped beside the program, and the backups made at
// every start before anything is loaded.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "model/workspace_model.h"
#include "platform/files.h"

namespace qv {

// Paths live in buffers of 260 characters; a longer one is cut to 259.
inline constexpr std::size_t kMaxPathChars = 259;
// More files than this in the backup folder, and the oldest one goes.
inline constexpr std::size_t kBackupLimit = 300;
inline constexpr char16_t kWorkspaceFileName[] = u"tasklist.xml";

struct StoragePaths {
  bool documentsFound;
  std::u16string programFolder;
  std::u16string userDataFolder;  // empty without a documents folder
  std::u16string backupFolder;
  std::u16string workspaceFile;  // "\tasklist.xml", the current drive's root, without one
  std::u16string seedFile;
};

// From the documents folder and the program folder as they are now.
StoragePaths WorkOutStoragePaths();

// "<folder>\tasklist.xmlYYYY_MM_DD_hh-mm-ss.bak" from a UTC time.
std::u16string BackupFileName(const std::u16string& backupFolder, const SYSTEMTIME& utc);

// The file the rotation deletes: the first found among the earliest-created files that are
// not folders, counting only files created before now; none while the folder holds no more
// than kBackupLimit files.
std::optional<std::size_t> BackupToDelete(std::span<const FolderEntry> entries, FILETIME now);

// Makes the folder if needed, deletes at most one old backup, then copies source into it under
// the current UTC time's name (a second copy in the same second replaces the first).
void MakeBackup(const std::u16string& backupFolder, const std::u16string& source);

// The start-up sequence: backup of the workspace file, the seed copy that never overwrites,
// then the load, or the default workspace when the file cannot be loaded. True when the file
// was loaded.
bool LoadStartupWorkspace(Workspace& ws, const StoragePaths& paths);

}  // namespace qv
