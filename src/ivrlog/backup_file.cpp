#include "ivrlog/backup_file.h"

#include "platform/files.h"

namespace {

// SQLite names the file behind each database of a connection; an in-memory
// one has no file name.
constexpr char kMainDatabaseFile[] = "SELECT file FROM pragma_database_list WHERE name='main'";

}  // namespace

BackupFileMatch MatchBackupFile(OSql& session, const std::string& path, std::string* opened) {
  char file[260] = {};
  const bool named = session.IsSqlite() && session.QueryFirstText(kMainDatabaseFile, file, sizeof file) == 1 && file[0] != '\0';
  if (opened != nullptr) *opened = named ? file : "";
  if (!named) return BackupFileMatch::kNoFile;
  return IsSameFile(file, path.c_str()) ? BackupFileMatch::kSame : BackupFileMatch::kDifferent;
}
