#include "cli/progress_bar.h"

#include <unistd.h>

#include <cstdio>

#include "platform/text.h"

namespace {

constexpr int kBarWidth = 30;

}  // namespace

void ProgressBar::Begin(int fd, int32_t total) {
  fd_ = isatty(fd) == 1 ? fd : -1;
  total_ = total > 0 ? total : 1;
  shownPercent_ = -1;
  shownLength_ = 0;
  Show(0);
}

void ProgressBar::Show(int32_t done) {
  if (fd_ < 0) return;
  if (done > total_) done = total_;
  if (done < 0) done = 0;
  const int percent = static_cast<int>(static_cast<int64_t>(done) * 100 / total_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  // Whatever the scan printed meanwhile must reach the terminal first, on a
  // line of its own.
  Erase();
  std::fflush(stdout);
  char bar[kBarWidth + 1] = {};
  const int filled = percent * kBarWidth / 100;
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
  char line[80] = {};
  const size_t length = FormatBounded(line, sizeof line, "Scanning days [%s] %3d%%", bar, percent);
  Write(line, static_cast<int>(length));
  shownLength_ = static_cast<int>(length);
}

void ProgressBar::End() {
  if (fd_ >= 0) Erase();
  fd_ = -1;
}

void ProgressBar::Erase() {
  if (shownLength_ == 0) return;
  char line[84] = {};
  int length = 0;
  line[length++] = '\r';
  while (length <= shownLength_ && length < static_cast<int>(sizeof line) - 1) line[length++] = ' ';
  line[length++] = '\r';
  Write(line, length);
  shownLength_ = 0;
}

void ProgressBar::Write(const char* text, int length) {
  while (length > 0) {
    const ssize_t written = write(fd_, text, static_cast<size_t>(length));
    if (written <= 0) return;  // a progress line is not worth retrying
    text += written;
    length -= static_cast<int>(written);
  }
}
