// The process-wide settings that the commands share. One instance each for
// the whole run; every user reads and writes them on the console thread.
#pragma once

#include <cstdint>
#include <string>

// Data source of the peak checker and the trunk-minutes report: at most 31
// characters and a NUL. Empty until start-up sets kDefaultDsnName.
inline constexpr int kDsnNameSize = 32;
extern char DsnName[kDsnNameSize];
inline constexpr char kDefaultDsnName[] = "Internal Logger Database";

// Directory of the program file with its trailing separator, or empty.
extern std::string ExeDirectory;

// The view record time, epoch seconds: calls in progress at this second are
// listed by the peak checks.
extern int32_t ViewTime;

// 1 or more: the peak day check scans each day a second time for calls whose
// both ends are of the checked kind.
extern int32_t CountIPExtToIPExt;

// The console's kind of call, set by its e, t and T (the planner and the
// check pass theirs in a request, analysis/check_request.h), and the pass
// flags that label a day's second statement.
extern uint32_t CheckMode;
inline constexpr uint32_t kCheckExtension = 0x1;
inline constexpr uint32_t kCheckTrunk = 0x2;
inline constexpr uint32_t kCheckTrunkWithoutSipTie = 0x4;
inline constexpr uint32_t kCheckModeMask = 0xF;
inline constexpr uint32_t kPassExtToExt = 0x10;
inline constexpr uint32_t kPassTrunkToTrunk = 0x20;

// Copies `name` (cut to 31 characters) into DsnName.
void SetDsnName(const char* name);
