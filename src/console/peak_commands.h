// The console commands of the peak checks.
#pragma once

#include <cstdint>

class CCallPeak;

// e, t, T: checks the record range (at most its last 395 days) in `mode`
// (kCheckExtension, kCheckTrunk or kCheckTrunkWithoutSipTie), then prints
// the ten busiest days and the rows checked with the time taken, and how
// many days could not be read when there were any. A checker whose session
// was lost is opened again first. Runs on the process's CallPeak unless
// given another checker.
void PeakCallsCommand(uint32_t mode);
void PeakCallsCommand(uint32_t mode, CCallPeak& checker);

// d[,month[,day[,year]]]: checks one day (missing or 0 fields are today's)
// in the mode of the last range check, then prints its peak and the rows
// checked with the time taken, as PeakCallsCommand does.
void PeakDayCommand();
