// Plain file access through handles that are null while no file is open.
// Every call reports failure through its result and never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct PlatformFile;
using FileHandle = PlatformFile*;

// Opens `path` for writing, creating it when it does not exist and keeping its
// content when it does; other processes may read it meanwhile. The position
// is the start of the file. Null on failure.
FileHandle OpenFileForWriting(const char* path);

// Opens an existing file for reading, at its start. Null on failure.
FileHandle OpenExistingFileForReading(const char* path);

// Closes the file; null is ignored.
void CloseFile(FileHandle file);

// Size in bytes, or -1 on failure.
int64_t FileSizeOf(FileHandle file);

// Moves the position to the start or the end of the file.
bool SeekToStart(FileHandle file);
bool SeekToEnd(FileHandle file);

// Writes all `size` bytes at the position; returns the count written.
size_t WriteToFile(FileHandle file, const void* data, size_t size);

// Reads up to `size` bytes at the position; returns the count read before
// the end of the file or a failure, which this count does not tell apart.
size_t ReadFromFile(FileHandle file, void* data, size_t size);

// Removes a file. False when it could not be removed.
bool DeleteFilePath(const char* path);

// Renames `from` to `to`. Fails, changing nothing, when `to` exists.
bool MoveFilePath(const char* from, const char* to);

// Gives the file `from` the second name `to` (a hard link). Fails, changing
// nothing, when `to` exists.
bool LinkFilePath(const char* from, const char* to);

// Renames `from` to `to` in one step, replacing `to` when it exists: a
// reader of `to` sees the old file or the new one, never neither.
bool ReplaceFilePath(const char* from, const char* to);

// True when `path` names an existing file (links followed).
bool FileExists(const char* path);

// True when both paths name one existing file, after following links: the
// same device and inode.
bool IsSameFile(const char* first, const char* second);

// Which file a name stands for now: its device and inode. Two identities
// are equal only for the same file, also under other names.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the existing file `path` (links followed); false when it
// does not exist.
bool FileIdentityOf(const char* path, FileIdentity* identity);

// The absolute path of an existing file with every link resolved; "" when
// it does not exist.
std::string ResolvedFilePath(const char* path);

// Copies `from` to `to`; with `failIfExists` the copy fails, changing
// nothing, when `to` exists. A copy that fails midway, in reading as in
// writing, leaves no target.
bool CopyFilePath(const char* from, const char* to, bool failIfExists);
