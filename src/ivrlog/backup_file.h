// Whether the backup data source reaches the backup database file that the
// worker sets aside: the worker only ever renames or empties a file that its
// data source was shown to have opened.
#pragma once

#include <string>

#include "db/osql.h"

enum class BackupFileMatch {
  kSame,       // the session's database is that file (links followed)
  kDifferent,  // the session's database is another file, or `path` names none
  kNoFile,     // the session's database is not a file (a server database)
};

// Asks the open `session` for the file of its main database and compares it
// with `path` by device and inode. `opened` (when not null) gets that file's
// name, "" when there is none.
BackupFileMatch MatchBackupFile(OSql& session, const std::string& path, std::string* opened);
