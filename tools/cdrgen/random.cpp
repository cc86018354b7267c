#include "cdrgen/random.h"

namespace {

// splitmix64: spreads a seed over the whole state, so that nearby seeds give
// unrelated sequences.
uint64_t SplitMix(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

CdrRandom::CdrRandom(uint64_t seed, uint64_t stream) {
  uint64_t x = seed ^ (stream * 0xD1B54A32D192ED03ull);
  for (uint64_t& word : state_) word = SplitMix(x);
}

// xoshiro256**
uint64_t CdrRandom::Next() {
  const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = RotateLeft(state_[3], 45);
  return result;
}

uint32_t CdrRandom::Below(uint32_t bound) {
  // Multiply-shift maps 32 random bits onto [0, bound); the bias (below
  // bound / 2^32) does not matter for traffic.
  return static_cast<uint32_t>(((Next() >> 32) * bound) >> 32);
}

int32_t CdrRandom::Between(int32_t low, int32_t high) {
  if (high <= low) return low;
  uint32_t span = static_cast<uint32_t>(static_cast<int64_t>(high) - low + 1);
  return static_cast<int32_t>(low + static_cast<int64_t>(Below(span)));
}

bool CdrRandom::Chance(uint32_t perMillion) { return Below(1000000) < perMillion; }

int PickWeighted(CdrRandom& random, const uint32_t* weights, int count) {
  uint64_t total = 0;
  for (int i = 0; i < count; ++i) total += weights[i];
  if (total == 0 || total > UINT32_MAX) return 0;
  uint32_t draw = random.Below(static_cast<uint32_t>(total));
  for (int i = 0; i < count; ++i) {
    if (draw < weights[i]) return i;
    draw -= weights[i];
  }
  return count - 1;
}
