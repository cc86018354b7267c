// A one-line progress bar on a terminal: "Scanning days [#####-----]  45%",
// redrawn in place as work is done and erased at the end. On anything but a
// terminal it shows nothing, so logs and pipes stay clean.
#pragma once

#include <cstdint>

class ProgressBar {
 public:
  // Starts showing on file descriptor `fd` if it is a terminal, for `total`
  // steps (at least 1 is assumed).
  void Begin(int fd, int32_t total);
  // Shows `done` of the total steps; beyond the total shows it full.
  void Show(int32_t done);
  // Erases the bar and stops showing.
  void End();

 private:
  void Erase();
  void Write(const char* text, int length);

  int fd_ = -1;
  int32_t total_ = 1;
  int shownPercent_ = -1;
  int shownLength_ = 0;
};
