#include "report/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string Reason(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string MakeTemporaryBeside(const std::string& path, std::string* error) {
  std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error = Reason("cannot create a file beside", path);
    return "";
  }
  // mkstemp makes the file private; the finished file gets the permissions
  // any new file of this process would have.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  return name.data();
}

bool RenameIntoPlace(const std::string& temporary, const std::string& path, std::string* error) {
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  *error = Reason("cannot replace", path);
  std::remove(temporary.c_str());
  return false;
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error) {
  const std::string temporary = MakeTemporaryBeside(path, error);
  if (temporary.empty()) return false;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(content.data(), 1, content.size(), file) == content.size();
  // A full disk may only show when the buffer goes out at fclose.
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) {
    *error = Reason("cannot write", path);
    std::remove(temporary.c_str());
    return false;
  }
  return RenameIntoPlace(temporary, path, error);
}
