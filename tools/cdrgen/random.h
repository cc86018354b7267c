// CdrRandom: the generator's only source of chance. The sequence depends on
// the seed and the stream number alone, and every draw is integer
// arithmetic, so the same arguments give the same rows with any compiler,
// standard library or platform.
#pragma once

#include <cstdint>

class CdrRandom {
 public:
  // Independent sequences for each (seed, stream) pair.
  CdrRandom(uint64_t seed, uint64_t stream);

  // 64 uniformly distributed bits.
  uint64_t Next();

  // Uniform in [0, bound); 0 when bound is 0.
  uint32_t Below(uint32_t bound);

  // Uniform in [low, high]; low when high < low.
  int32_t Between(int32_t low, int32_t high);

  // True with probability perMillion / 1,000,000.
  bool Chance(uint32_t perMillion);

 private:
  uint64_t state_[4];
};

// A discrete distribution over 0..count-1 given by integer weights.
// Returns the drawn index; the weights must not all be 0.
int PickWeighted(CdrRandom& random, const uint32_t* weights, int count);
