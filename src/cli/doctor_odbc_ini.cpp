#include "cli/doctor_odbc_ini.h"

#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr char kOdbcIni[] = "odbc.ini";
constexpr char kOdbcInstIni[] = "odbcinst.ini";
constexpr char kSystemOdbcIni[] = "/etc/odbc.ini";

// The value of `key` in `section` of unixODBC's `file` ("odbc.ini": the
// user's, then the system's; "odbcinst.ini": the drivers'); "" when unset.
std::string IniValue(const std::string& section, const char* key, const char* file) {
  char value[512] = {};
  SQLGetPrivateProfileString(section.c_str(), key, "", value, sizeof value, file);
  return value;
}

// The file name at the end of a path.
std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::string> UserOdbcIniPath() {
  const char* ini = std::getenv("ODBCINI");
  if (ini != nullptr && *ini != '\0') return std::string(ini);
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return std::nullopt;
  const std::string path = std::string(home) + "/.odbc.ini";
  struct stat status{};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return path;
}

bool ModeLetsWrite(mode_t mode, uid_t owner, gid_t group, uid_t user, std::span<const gid_t> groups) {
  if (owner == user) return (mode & S_IWUSR) != 0;
  if (std::find(groups.begin(), groups.end(), group) != groups.end()) return (mode & S_IWGRP) != 0;
  return (mode & S_IWOTH) != 0;
}

bool ReadOnlyForThisUser(const std::string& path) {
  struct stat status{};
  if (stat(path.c_str(), &status) != 0) return false;
  std::vector<gid_t> groups(1, getegid());
  const int count = getgroups(0, nullptr);
  if (count > 0) {
    groups.resize(1 + static_cast<size_t>(count));
    const int read = getgroups(count, groups.data() + 1);
    groups.resize(1 + static_cast<size_t>(std::max(read, 0)));
  }
  return !ModeLetsWrite(status.st_mode, status.st_uid, status.st_gid, geteuid(), groups);
}

std::string ConnectFailureAdvice(const std::string& dsn, const std::string& readOnlyIni) {
  const std::string source = "data source \"" + dsn + "\"";
  if (readOnlyIni.empty()) {
    return "cannot connect to " + source +
           ": mend its section in the odbc.ini named below, or the server or account that the section names. The "
           "driver said:";
  }
  return "cannot connect to " + source + ", and the odbc.ini in force, " + readOnlyIni +
         ", is read-only for this user (uid " + std::to_string(geteuid()) +
         "): unixODBC then gives the driver none of the section's settings (the PostgreSQL driver drops "
         "Servername and Port and tries the local socket). Give the user a copy of its own (ODBCINI naming a "
         "file the user owns and may write) or declare the data source in the system odbc.ini, " +
         kSystemOdbcIni + ". The driver said:";
}

std::optional<Finding> CommLogFinding(const std::string& dsn) {
  const std::string driver = IniValue(dsn, "Driver", kOdbcIni);
  if (driver.empty()) return std::nullopt;
  // Driver= names a section of odbcinst.ini or, with a slash, the library.
  const bool isPath = driver.find('/') != std::string::npos;
  const std::string library = isPath ? driver : IniValue(driver, "Driver", kOdbcInstIni);
  if (BaseName(library).rfind("psqlodbc", 0) != 0) return std::nullopt;
  std::string where = "the section [" + dsn + "] of odbc.ini";
  std::string value = IniValue(dsn, "CommLog", kOdbcIni);
  if (value.empty() && !isPath) {
    where = "the driver's section [" + driver + "] of odbcinst.ini";
    value = IniValue(driver, "CommLog", kOdbcInstIni);
  }
  if (std::atoi(value.c_str()) <= 0) return std::nullopt;
  return Finding{Verdict::kFailed, "psqlODBC's communication log is on (CommLog=" + value + " in " + where +
                                       "), so every run leaves a file psqlodbc_*.log in /tmp: add the line "
                                       "CommLog=0 to the section [" +
                                       dsn + "] of odbc.ini (psqlODBC then still writes a line at each "
                                             "disconnect unless the driver's section says CommLog=0 as well)"};
}
