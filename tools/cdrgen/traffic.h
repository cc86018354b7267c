// The traffic model: how many calls a day brings, when in the day they
// start, and what each call is (its ends, direction, outcome, holding time
// and numbers). Every draw comes from the CdrRandom handed in, so a day's
// calls depend only on that generator's sequence.
#pragma once

#include <cstdint>

#include "cdrgen/cdr_record.h"
#include "cdrgen/random.h"

// Calls on a day with `callsPerDay` as the long-run daily average: weekdays
// (1..5) above it, weekends below, each day varying by up to a tenth.
int32_t CallsOnDay(int32_t callsPerDay, int dayOfWeek, CdrRandom& random);

// A start second of the local day (0..86399) after the business-hours
// profile of a weekday, or the flatter one of a weekend day.
int32_t DrawSecondOfDay(bool weekend, CdrRandom& random);

// Fills the kind of call: both ends' types and numbers, direction, exit
// state, holding time (returned), hold duration, trunk flag and DNIS.
// Leaves the times, session, day of week and local day to the caller.
int32_t DrawCall(CdrRandom& random, CdrRecord* record);

// Turns the call drawn into a SIP tie call between two sites of the
// system: a tie line (type 9) at both ends with the number of an extension
// behind each, written as outbound (Direction 2: it leaves the caller's
// site), a trunk call without DNIS. Its outcome and holding time stay as
// drawn.
void MakeTieCall(CdrRandom& random, CdrRecord* record);

// Holding time of an answered call in seconds: around three minutes, with a
// tail of long calls up to three hours.
int32_t DrawTalkSeconds(CdrRandom& random);

inline constexpr int kExitStateCount = 38;
