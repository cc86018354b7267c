// What nortesk-etp doctor reads of the ODBC configuration itself, beside the
// connection and table CDRMAIN: the odbc.ini files and the driver's section
// of odbcinst.ini, as unixODBC finds them (ODBCINI, ODBCSYSINI).
//
// - A user's odbc.ini that the user may not write: unixODBC's
//   SQLGetPrivateProfileString then reads nothing from it, so a driver
//   that reads its settings that way gets none of the section's (psqlODBC
//   drops Servername and Port and tries the local socket), while the driver
//   manager still finds the section. A connection then fails with a reason
//   that points elsewhere.
// - psqlODBC's communication log (CommLog), which Debian's driver entries
//   turn on: every session then leaves a psqlodbc_*.log file in /tmp. The
//   data source's CommLog=0 turns it off for the session; psqlODBC (13.02)
//   still logs the disconnect by the driver's setting.
//
// Nothing here prints; the results are text for doctor's findings.
#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>

#include "diagnosis/finding.h"

// The odbc.ini of the user's own data sources: ODBCINI when it is set and
// not empty, else ~/.odbc.ini when that file exists; nullopt when neither.
std::optional<std::string> UserOdbcIniPath();

// Whether `mode` lets `user` (whose groups are `groups`) write a file owned
// by `owner` and `group`: the write bit of the one class the user falls in,
// owner before group before others. Root's override of the bits is left
// out, so a file without the bit counts as read-only for root as well.
bool ModeLetsWrite(mode_t mode, uid_t owner, gid_t group, uid_t user, std::span<const gid_t> groups);

// Whether the file at `path` exists and its mode keeps this process's
// effective user from writing it (ModeLetsWrite with the effective uid,
// gid and supplementary groups). False when the file cannot be examined.
bool ReadOnlyForThisUser(const std::string& path);

// The text of doctor's failed connection to `dsn`, which the driver's
// reason follows. `readOnlyIni` names the user's odbc.ini when it is
// read-only for the user (the advice is then about that file); empty
// otherwise.
std::string ConnectFailureAdvice(const std::string& dsn, const std::string& readOnlyIni);

// A failed finding when psqlODBC's communication log is on for `dsn`:
// CommLog above 0 in the data source's section of odbc.ini or, when that
// section does not set it, in the section of odbcinst.ini named by the
// section's Driver. Nullopt when the log is off or the driver is not
// psqlODBC (its library's name does not start with "psqlodbc").
std::optional<Finding> CommLogFinding(const std::string& dsn);
