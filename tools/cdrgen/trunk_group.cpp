#include "cdrgen/trunk_group.h"

bool TrunkGroup::CanAdmit(int64_t start, int32_t lines) {
  while (!ends_.empty() && ends_.top().first <= start) {
    inUse_ -= ends_.top().second;
    ends_.pop();
  }
  return lines <= 0 || inUse_ + lines <= lines_;
}

bool TrunkGroup::Admit(int64_t start, int64_t end, int32_t lines) {
  if (!CanAdmit(start, lines)) return false;
  if (lines <= 0) return true;
  ends_.emplace(end, lines);
  inUse_ += lines;
  return true;
}
