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

// Mode and pass flags of the peak checks.
// Each thread has its own: a range check on several sessions reads days on
// threads of its own, each in the check's mode with its own pass flags.
inline thread_local uint32_t CheckMode = 0;
inline constexpr uint32_t kCheckExtension = 0x1;
inline constexpr uint32_t kCheckTrunk = 0x2;
inline constexpr uint32_t kCheckTrunkWithoutSipTie = 0x4;
inline constexpr uint32_t kCheckModeMask = 0xF;
inline constexpr uint32_t kPassExtToExt = 0x10;
inline constexpr uint32_t kPassTrunkToTrunk = 0x20;

// Sets CheckMode for the life of the scope and puts the one before back: a
// subcommand's check runs in its own mode without leaving it to the console.
class CheckModeScope {
 public:
  explicit CheckModeScope(uint32_t mode) : saved_(CheckMode) { CheckMode = mode; }
  ~CheckModeScope() { CheckMode = saved_; }
  CheckModeScope(const CheckModeScope&) = delete;
  CheckModeScope& operator=(const CheckModeScope&) = delete;

 private:
  uint32_t saved_;
};

// Copies `name` (cut to 31 characters) into DsnName.
void SetDsnName(const char* name);
