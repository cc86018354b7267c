// The console commands of the peak checks.
#pragma once

#include <cstdint>

// e, t, T: checks the record range (at most its last 395 days) in `mode`
// (kCheckExtension, kCheckTrunk or kCheckTrunkWithoutSipTie), then prints
// the ten busiest days and the rows checked with the time taken.
void PeakCallsCommand(uint32_t mode);

// d[,month[,day[,year]]]: checks one day (missing or 0 fields are today's)
// in the mode of the last range check, then prints its peak and the rows
// checked with the time taken.
void PeakDayCommand();
