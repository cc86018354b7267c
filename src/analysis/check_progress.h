// A one-line progress indicator on standard error for the long range checks:
// the month being checked, shown only while standard error is a terminal and
// erased when the check is done. Standard output is never touched, apart from
// being flushed so the two streams appear in order.
#pragma once

#include <cstdint>

class CheckProgress {
 public:
  // Starts showing progress on file descriptor `fd` if it is a terminal.
  void Begin(int fd);
  // Shows the month now being checked (replacing the line shown before).
  void ShowMonth(int32_t year, int32_t month);
  // Erases the line until the next ShowMonth, so that other output does
  // not run into it.
  void Hide();
  // Erases the line and stops showing progress.
  void End();

 private:
  int fd_ = -1;
  int shownLength_ = 0;
};

// The progress line of the peak range checks.
extern CheckProgress RangeProgress;
