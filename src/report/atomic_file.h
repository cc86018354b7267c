// Files that appear whole: the content is written to a temporary file in
// the target's folder and renamed over the target, so a reader sees the old
// file or the new one, never half of either.
#pragma once

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
