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

bool ReplaceFilesTogether(const std::string& from, const std::string& to, std::span<const char* const> names,
                          std::string* error) {
  const auto in = [](const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
  };
  for (const char* name : names) {
    struct stat status {};
    if (lstat(in(to, name).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
      *error = "cannot replace " + in(to, name) + ": a folder stands in its place";
      return false;
    }
  }
  // The old files stay reachable under a second name until every new one
  // is in place, so that a failure halfway can put them back.
  enum class Old { kNone, kKept, kLost };
  std::vector<Old> old(names.size(), Old::kNone);
  for (size_t i = 0; i < names.size(); ++i) {
    if (link(in(to, names[i]).c_str(), in(from, std::string(names[i]) + ".old").c_str()) == 0) {
      old[i] = Old::kKept;
    } else if (errno != ENOENT) {
      old[i] = Old::kLost;
    }
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (std::rename(in(from, names[i]).c_str(), in(to, names[i]).c_str()) == 0) continue;
    *error = Reason("cannot replace", in(to, names[i]));
    for (size_t j = 0; j < i; ++j) {
      if (old[j] == Old::kKept) {
        std::rename(in(from, std::string(names[j]) + ".old").c_str(), in(to, names[j]).c_str());
      } else if (old[j] == Old::kNone) {
        std::remove(in(to, names[j]).c_str());
      }
    }
    return false;
  }
  return true;
}
