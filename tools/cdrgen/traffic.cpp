#include "cdrgen/traffic.h"

#include <cstdio>

namespace {

// Relative call volume per local hour. Weekdays follow office hours with
// a lunch dip; weekends are quieter and flatter. Weekday and weekend volume
// (per mille of the average day) keep the weekly mean at the average.
constexpr uint32_t kWeekdayHours[24] = {2,  1,   1,   1,   1,  2,  6,  20, 60, 100, 110, 105,
                                        70, 85, 100, 95, 80, 45, 20, 12, 8,  6,   4,   3};
constexpr uint32_t kWeekendHours[24] = {3,  2,  1,  1,  1,  2,  4,  8,  15, 25, 35, 38,
                                        35, 32, 30, 28, 25, 20, 16, 14, 12, 9,  6,  4};
constexpr int32_t kWeekdayVolume = 1160;
constexpr int32_t kWeekendVolume = 600;

enum CallKind { kInternal, kInbound, kOutbound, kTandem, kCallKinds };
constexpr uint32_t kKindWeights[kCallKinds] = {24, 38, 32, 6};

// Trunk types 7 and 8 and SIP tie lines (9); extensions of type 1 and 2.
constexpr uint32_t kTrunkWeights[3] = {60, 25, 15};
constexpr int32_t kTrunkTypes[3] = {7, 8, 9};
constexpr uint32_t kTandemTiePerMillion = 350000;  // trunk-to-trunk calls between 7 and 9
constexpr uint32_t kExtension2PerMillion = 300000;

// How long a call with a given outcome lasts.
enum Holding { kTalk, kRinging, kRefused, kBlocked, kAborted, kVoicemail, kAttendant };

struct ExitProfile {
  uint32_t weight;  // per 10,000 calls
  Holding holding;
};

// Indexed by ExitState; most calls connect.
constexpr ExitProfile kExitProfiles[kExitStateCount] = {
    {20, kAborted},    // 0 Unknown
    {150, kAttendant},  // 1 AA
    {200, kTalk},       // 2 FORWARD
    {60, kTalk},        // 3 REDIRECT
    {550, kRinging},    // 4 RNA
    {300, kRefused},    // 5 BUSY
    {120, kTalk},       // 6 QUEUE
    {30, kAborted},     // 7 OVERFLOW
    {7205, kTalk},      // 8 CONNECT
    {40, kTalk},        // 9 CONFERENCE
    {40, kTalk},        // 10 CONF_MEMBER
    {60, kTalk},        // 11 HOLD
    {400, kTalk},       // 12 XFER
    {20, kAborted},     // 13 XFER_DEST_UNAVAIL
    {20, kAborted},     // 14 XFER_CANCEL
    {80, kVoicemail},   // 15 VM_N_MSG
    {250, kVoicemail},  // 16 VM_MSG
    {30, kVoicemail},   // 17 GENERAL_VM
    {60, kVoicemail},   // 18 VM_ACCESS
    {10, kVoicemail},   // 19 VM_NOTIFY
    {60, kTalk},        // 20 PICK_UP
    {10, kBlocked},     // 21 ALL_TRK_BUSY
    {5, kBlocked},      // 22 NO_SESSION
    {10, kTalk},        // 23 PARK_PERSONAL
    {10, kTalk},        // 24 PARK_SYSTEM
    {5, kTalk},         // 25 PARK_LINE
    {10, kTalk},        // 26 CALL_MONITOR
    {10, kAttendant},   // 27 PAGING
    {5, kAttendant},    // 28 REMIND
    {30, kRinging},     // 29 AGENT_RNA
    {20, kRinging},     // 30 ONA
    {10, kTalk},        // 31 APC_CONNECT
    {40, kRinging},     // 32 RING
    {20, kRinging},     // 33 XFER_RING
    {80, kTalk},        // 34 XFER_CONNECTED
    {10, kTalk},        // 35 EXCHANGE_BRIDGE
    {10, kVoicemail},   // 36 EXCHANGE_VM
    {10, kVoicemail},   // 37 EXCHANGE_DIVERSION
};

// Holding time of answered calls as a quantile table (per million of calls
// -> seconds), read with linear interpolation: median a little over two
// minutes, mean near four, about 0.3% over an hour, none over three hours.
struct Quantile {
  uint32_t perMillion;
  int32_t seconds;
};
constexpr Quantile kTalkQuantiles[] = {
    {0, 2},          {50000, 15},     {200000, 45},    {400000, 100},   {500000, 135},
    {600000, 170},   {700000, 220},   {800000, 300},   {900000, 450},   {950000, 650},
    {980000, 1200},  {990000, 1900},  {997000, 3600},  {999000, 5400},  {1000000, 10800},
};

struct ExitWeights {
  uint32_t weight[kExitStateCount];
};
constexpr ExitWeights MakeExitWeights() {
  ExitWeights weights{};
  for (int i = 0; i < kExitStateCount; ++i) weights.weight[i] = kExitProfiles[i].weight;
  return weights;
}
constexpr ExitWeights kExitWeights = MakeExitWeights();

constexpr const char* kAreaCodes[] = {"030", "040", "089", "069", "0221", "0211", "0711", "0351", "0511", "0911"};
constexpr const char* kMobilePrefixes[] = {"0151", "0152", "0160", "0170", "0171", "0172", "0175", "0176", "0177"};
constexpr char kCompanyPrefix[] = "030555";  // the site's own direct-dial prefix

template <typename T, int N>
constexpr int CountOf(const T (&)[N]) {
  return N;
}

int32_t DrawTrunkType(CdrRandom& random) { return kTrunkTypes[PickWeighted(random, kTrunkWeights, 3)]; }

int32_t DrawExtensionType(CdrRandom& random) { return random.Chance(kExtension2PerMillion) ? 2 : 1; }

// A number plausible for an end of the given type.
void DrawNumber(int32_t type, CdrRandom& random, char* out) {
  const int size = CdrRecord::kNumberSize;
  if (type == 1) {
    std::snprintf(out, size, "%d", random.Between(2000, 2599));
  } else if (type == 2) {
    std::snprintf(out, size, "%d", random.Between(3000, 3199));
  } else if (type == 9) {
    std::snprintf(out, size, "%d", random.Between(7000, 7999));  // an extension at a tied site
  } else if (random.Chance(350000)) {
    std::snprintf(out, size, "%s%07d", kMobilePrefixes[random.Below(CountOf(kMobilePrefixes))],
                  random.Between(1000000, 9999999));
  } else {
    std::snprintf(out, size, "%s%07d", kAreaCodes[random.Below(CountOf(kAreaCodes))],
                  random.Between(1000000, 9999999));
  }
}

int32_t DrawHolding(Holding holding, CdrRandom& random) {
  switch (holding) {
    case kTalk: return DrawTalkSeconds(random);
    case kRinging: return random.Between(3, 45);
    case kRefused: return random.Between(0, 4);
    case kBlocked: return random.Between(0, 1);
    case kAborted: return random.Between(0, 20);
    case kVoicemail: return random.Between(15, 150);
    case kAttendant: return random.Between(5, 90);
  }
  return 0;
}

}  // namespace

int32_t CallsOnDay(int32_t callsPerDay, int dayOfWeek, CdrRandom& random) {
  const bool weekend = dayOfWeek == 0 || dayOfWeek == 6;
  const int64_t volume = weekend ? kWeekendVolume : kWeekdayVolume;
  const int64_t noise = random.Between(900, 1100);
  return static_cast<int32_t>((static_cast<int64_t>(callsPerDay) * volume * noise + 500000) / 1000000);
}

int32_t DrawSecondOfDay(bool weekend, CdrRandom& random) {
  const int hour = PickWeighted(random, weekend ? kWeekendHours : kWeekdayHours, 24);
  return hour * 3600 + static_cast<int32_t>(random.Below(3600));
}

int32_t DrawTalkSeconds(CdrRandom& random) {
  const uint32_t p = random.Below(1000000);
  for (int i = 1; i < CountOf(kTalkQuantiles); ++i) {
    const Quantile& low = kTalkQuantiles[i - 1];
    const Quantile& high = kTalkQuantiles[i];
    if (p < high.perMillion) {
      return low.seconds + static_cast<int32_t>(static_cast<int64_t>(high.seconds - low.seconds) *
                                                (p - low.perMillion) / (high.perMillion - low.perMillion));
    }
  }
  return kTalkQuantiles[CountOf(kTalkQuantiles) - 1].seconds;
}

int32_t DrawCall(CdrRandom& random, CdrRecord* record) {
  const int kind = PickWeighted(random, kKindWeights, kCallKinds);
  switch (kind) {
    case kInternal:
      record->callerType = DrawExtensionType(random);
      record->targetType = DrawExtensionType(random);
      record->direction = 0;
      break;
    case kInbound:
      record->callerType = DrawTrunkType(random);
      record->targetType = DrawExtensionType(random);
      record->direction = 1;
      break;
    case kOutbound:
      record->callerType = DrawExtensionType(random);
      record->targetType = DrawTrunkType(random);
      record->direction = 2;
      break;
    default:  // an external call passed on to another trunk
      if (random.Chance(kTandemTiePerMillion)) {
        const bool tieFirst = random.Chance(500000);
        record->callerType = tieFirst ? 9 : 7;
        record->targetType = tieFirst ? 7 : 9;
      } else {
        record->callerType = DrawTrunkType(random);
        record->targetType = DrawTrunkType(random);
      }
      record->direction = random.Chance(700000) ? 1 : 2;
      break;
  }
  DrawNumber(record->callerType, random, record->callerNum);
  DrawNumber(record->targetType, random, record->targetNum);
  record->trunkCall = (record->callerType >= 7 || record->targetType >= 7) ? 1 : 0;
  record->dnis[0] = '\0';
  if (kind == kInbound && record->callerType != 9) {
    std::snprintf(record->dnis, CdrRecord::kNumberSize, "%s%.17s", kCompanyPrefix, record->targetNum);
  }

  record->exitState = PickWeighted(random, kExitWeights.weight, kExitStateCount);
  const Holding holding = kExitProfiles[record->exitState].holding;
  const int32_t seconds = DrawHolding(holding, random);
  record->holdDuration = 0;
  if (holding == kTalk && seconds >= 20 && random.Chance(80000)) {
    record->holdDuration = random.Between(5, seconds / 2 < 180 ? seconds / 2 : 180);
  }
  return seconds;
}

void MakeTieCall(CdrRandom& random, CdrRecord* record) {
  record->callerType = 9;
  record->targetType = 9;
  record->direction = 2;
  record->trunkCall = 1;
  DrawNumber(9, random, record->callerNum);
  DrawNumber(9, random, record->targetNum);
  record->dnis[0] = '\0';
}
