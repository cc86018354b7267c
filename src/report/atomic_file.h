// Files that appear whole: the content is written to a temporary file in
// the target's folder and renamed over the target, so a reader sees the old
// file or the new one, never half of either.
#pragma once

#include <span>
#include <string>
#include <string_view>

// Writes `content` to `path`, replacing the file there. On failure returns
// false with a one-line reason in `error`; the target is then unchanged and
// no temporary file is left.
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error);

// A fresh empty file beside `path` ("<path>.tmp-XXXXXX") for a writer that
// fills it by name; empty with `error` set when none could be made.
std::string MakeTemporaryBeside(const std::string& path, std::string* error);

// Renames `temporary` over `path`; on failure removes `temporary` and
// returns false with a reason in `error`.
bool RenameIntoPlace(const std::string& temporary, const std::string& path, std::string* error);

// Moves the files `names` of folder `from` over the files of the same names
// in folder `to` (on the same file system), all of them or none: a name
// with a folder in its place fails before anything moves, and a move that
// fails moves back the old files replaced before it. On failure returns
// false with a one-line reason in `error`; `to` then holds what it held
// (as far as the file system lets a file be linked to keep it meanwhile).
// Old files kept are linked into `from`, which the caller removes.
bool ReplaceFilesTogether(const std::string& from, const std::string& to, std::span<const char* const> names,
                          std::string* error);
