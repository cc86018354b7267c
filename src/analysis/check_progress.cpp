#include "analysis/check_progress.h"

#include <unistd.h>

#include <cstdio>

#include "platform/text.h"

CheckProgress RangeProgress;

namespace {

void WriteAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    ssize_t written = write(fd, text, length);
    if (written <= 0) return;  // a progress line is not worth retrying
    text += written;
    length -= static_cast<size_t>(written);
  }
}

}  // namespace

void CheckProgress::Begin(int fd) {
  fd_ = isatty(fd) == 1 ? fd : -1;
  shownLength_ = 0;
}

void CheckProgress::ShowMonth(int32_t year, int32_t month) {
  if (fd_ < 0) return;
  Hide();
  // Whatever the checks printed so far must reach the terminal first.
  std::fflush(stdout);
  char line[48] = {};
  size_t length = FormatBounded(line, sizeof line, "Checking %02d/%04d ...", static_cast<int>(month),
                                static_cast<int>(year));
  WriteAll(fd_, line, length);
  shownLength_ = static_cast<int>(length);
}

void CheckProgress::Hide() {
  if (fd_ < 0 || shownLength_ == 0) return;
  char line[64];
  size_t length = 0;
  line[length++] = '\r';
  for (int i = 0; i < shownLength_ && length < sizeof line - 1; ++i) line[length++] = ' ';
  line[length++] = '\r';
  WriteAll(fd_, line, length);
  shownLength_ = 0;
}

void CheckProgress::End() {
  Hide();
  fd_ = -1;
}
