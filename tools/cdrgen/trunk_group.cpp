#include "cdrgen/trunk_group.h"

bool TrunkGroup::Admit(int64_t start, int64_t end, int32_t lines) {
  while (!ends_.empty() && ends_.top().first <= start) {
    inUse_ -= ends_.top().second;
    ends_.pop();
  }
  if (lines <= 0) return true;
  if (inUse_ + lines > lines_) return false;
  ends_.emplace(end, lines);
  inUse_ += lines;
  return true;
}
