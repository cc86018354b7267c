// Names of the ExitState codes of CDRMAIN, as the scan prints them.
#pragma once

#include <cstdint>

inline constexpr int kExitStateCount = 38;
inline constexpr int kExitStateNameSize = 20;
// The call found every trunk busy and was turned away.
inline constexpr int32_t kExitAllTrunksBusy = 21;

// Indexed by ExitState 0..37; entry 0 is "Unknown".
extern const char ExitStateNames[kExitStateCount][kExitStateNameSize];

// The name of `exitState`; "Unknown" for a code outside 0..37.
const char* ExitStateName(int32_t exitState);
