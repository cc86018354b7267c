#include "platform/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

struct PlatformFile {
  int fd;
};

namespace {

FileHandle Wrap(int fd) {
  if (fd < 0) return nullptr;
  return new PlatformFile{fd};
}

}  // namespace

FileHandle OpenFileForWriting(const char* path) {
  if (path == nullptr) return nullptr;
  return Wrap(open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
}

FileHandle OpenExistingFileForReading(const char* path) {
  if (path == nullptr) return nullptr;
  return Wrap(open(path, O_RDONLY | O_CLOEXEC));
}

void CloseFile(FileHandle file) {
  if (file == nullptr) return;
  close(file->fd);
  delete file;
}

int64_t FileSizeOf(FileHandle file) {
  if (file == nullptr) return -1;
  struct stat info {};
  if (fstat(file->fd, &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool SeekToStart(FileHandle file) { return file != nullptr && lseek(file->fd, 0, SEEK_SET) == 0; }

bool SeekToEnd(FileHandle file) { return file != nullptr && lseek(file->fd, 0, SEEK_END) >= 0; }

size_t WriteToFile(FileHandle file, const void* data, size_t size) {
  if (file == nullptr || data == nullptr) return 0;
  const char* bytes = static_cast<const char*>(data);
  size_t written = 0;
  while (written < size) {
    ssize_t n = write(file->fd, bytes + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  return written;
}

size_t ReadFromFile(FileHandle file, void* data, size_t size) {
  if (file == nullptr || data == nullptr) return 0;
  char* bytes = static_cast<char*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n = read(file->fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool DeleteFilePath(const char* path) { return path != nullptr && unlink(path) == 0; }

bool MoveFilePath(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return false;
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
}

bool LinkFilePath(const char* from, const char* to) {
  return from != nullptr && to != nullptr && link(from, to) == 0;
}

bool ReplaceFilePath(const char* from, const char* to) {
  return from != nullptr && to != nullptr && rename(from, to) == 0;
}

bool FileExists(const char* path) {
  struct stat info {};
  return path != nullptr && stat(path, &info) == 0;
}

bool IsSameFile(const char* first, const char* second) {
  struct stat a {};
  struct stat b {};
  if (first == nullptr || second == nullptr || stat(first, &a) != 0 || stat(second, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool FileIdentityOf(const char* path, FileIdentity* identity) {
  struct stat status {};
  if (path == nullptr || identity == nullptr || stat(path, &status) != 0) return false;
  identity->device = static_cast<uint64_t>(status.st_dev);
  identity->inode = static_cast<uint64_t>(status.st_ino);
  return true;
}

std::string ResolvedFilePath(const char* path) {
  if (path == nullptr) return "";
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) return "";
  std::string text = resolved;
  free(resolved);
  return text;
}

bool CopyFilePath(const char* from, const char* to, bool failIfExists) {
  if (from == nullptr || to == nullptr) return false;
  int source = open(from, O_RDONLY | O_CLOEXEC);
  if (source < 0) return false;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  int target = open(to, flags, 0644);
  if (target < 0) {
    close(source);
    return false;
  }
  PlatformFile out{target};
  char block[65536];
  bool ok = true;
  for (;;) {
    // read() itself, not ReadFromFile: only 0 is the end of the file, and a
    // failed read must fail the copy rather than end it early.
    ssize_t n = read(source, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (WriteToFile(&out, block, static_cast<size_t>(n)) != static_cast<size_t>(n)) {
      ok = false;
      break;
    }
  }
  close(source);
  // On disk before the copy can be renamed into place by a caller.
  if (ok && fsync(target) != 0) ok = false;
  if (close(target) != 0) ok = false;
  if (!ok) unlink(to);
  return ok;
}
