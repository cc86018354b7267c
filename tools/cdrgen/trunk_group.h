// A trunk group of a fixed number of lines, for generating the calls that
// find it full. Calls are offered in the order of their start; each holds
// one line for each of its ends that is a trunk (a call passed from trunk
// to trunk holds two, as the peak checks count it) from its start up to,
// not including, its end. With sites, each site has a group of its own and
// a SIP tie call between two sites holds one line in each (generator.h).
#pragma once

#include <cstdint>
#include <queue>
#include <utility>
#include <vector>

class TrunkGroup {
 public:
  explicit TrunkGroup(int32_t lines) : lines_(lines) {}

  // Offers a call of [start, end) needing `lines` lines (0 for a call
  // without a trunk end, which is always admitted). False when the lines in
  // use leave too few free: the call is turned away and holds nothing.
  bool Admit(int64_t start, int64_t end, int32_t lines);

  // Whether Admit(start, ..., lines) would admit the call, without taking
  // its lines: for a call that needs lines of two groups at once. Frees the
  // lines of the calls ended by `start`, so starts offered to one group
  // must not go backwards.
  bool CanAdmit(int64_t start, int32_t lines);

 private:
  int32_t lines_;
  int32_t inUse_ = 0;
  // End and lines of the calls admitted, the earliest end on top.
  std::priority_queue<std::pair<int64_t, int32_t>, std::vector<std::pair<int64_t, int32_t>>, std::greater<>> ends_;
};
