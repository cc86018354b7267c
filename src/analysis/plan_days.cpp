#include "analysis/plan_days.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "analysis/group_by.h"
#include "analysis/grouped_day.h"
#include "planning/busy_hour.h"
#include "planning/call_replay.h"
#include "platform/local_time.h"
#include "timeutil/time_conversions.h"

namespace {

// Where the local clock changes on a day that is not 24 hours long: the
// first quarter hour whose clock reading is not its index, and by how many
// quarter hours it differs.
void FindClockChange(DayFigures* figures) {
  if (figures->quarters == kClockQuarterHours) return;
  for (int32_t q = 0; q < figures->quarters; ++q) {
    SYSTEMTIME local{};
    if (!EpochToLocalFields(static_cast<int64_t>(figures->dayStart) + static_cast<int64_t>(q) * kQuarterHourSeconds,
                            &local)) {
      return;
    }
    const int32_t position = local.wHour * kQuartersPerHour + local.wMinute / 15;
    if (position != q) {
      figures->clockChangeQuarter = q;
      figures->clockChangeShift = position - q;
      return;
    }
  }
}

}  // namespace

DayFigures FiguresOfDay(const DayOccupancy& day) {
  DayFigures figures;
  const BusyHour busy = FindBusyHour(day.counts, day.dayLength);
  figures.busyHourStart = busy.start;
  figures.busyHourErlangs = busy.Erlangs();
  figures.quarters = QuarterHourReadings(day.counts, day.dayLength, figures.traffic);
  FillDayFigures(day, &figures);
  return figures;
}

void FillDayFigures(const DayOccupancy& day, DayFigures* figures) {
  // The local date and where the clock changes, as the time zone tells
  // them: the groups of a day ask for the same day hundreds of times, and
  // every question takes the C library's zone lock, so each thread keeps
  // the last answer, for the zone TZ named then.
  struct Calendar {
    bool known = false;
    std::string zone;
    int32_t dayStart = 0, quarters = 0;
    int32_t year = 0, month = 0, day = 0;
    int32_t clockChangeQuarter = -1, clockChangeShift = 0;
  };
  thread_local Calendar last;
  const char* zone = std::getenv("TZ");
  if (zone == nullptr) zone = "";
  if (!last.known || last.dayStart != day.dayStart || last.quarters != figures->quarters || last.zone != zone) {
    DayFigures frame;
    frame.dayStart = day.dayStart;
    frame.quarters = figures->quarters;
    SYSTEMTIME local{};
    if (EpochToLocalFields(day.dayStart, &local)) {
      frame.year = local.wYear;
      frame.month = local.wMonth;
      frame.day = local.wDay;
    }
    FindClockChange(&frame);
    last.known = true;
    last.zone.assign(zone);  // in the room it has: nothing allocated per day
    last.dayStart = day.dayStart;
    last.quarters = frame.quarters;
    last.year = frame.year;
    last.month = frame.month;
    last.day = frame.day;
    last.clockChangeQuarter = frame.clockChangeQuarter;
    last.clockChangeShift = frame.clockChangeShift;
  }
  if (last.year != 0) {
    figures->year = last.year;
    figures->month = last.month;
    figures->day = last.day;
  }
  figures->clockChangeQuarter = last.clockChangeQuarter;
  figures->clockChangeShift = last.clockChangeShift;
  figures->dayStart = day.dayStart;
  figures->calls = day.rows;
  figures->peakCalls = day.peakValue;
  figures->peakSecond = day.peakSecond;
  figures->blockedCalls = day.blockedRows;
  for (int32_t q = 0; q < figures->quarters; ++q) {
    figures->carriedAttempts[q] = day.carriedByQuarter != nullptr ? day.carriedByQuarter[q] : 0;
    figures->blockedAttempts[q] = day.blockedByQuarter != nullptr ? day.blockedByQuarter[q] : 0;
  }
}

void ReplayDayAttempts(CallReplay& replay, int32_t lines, DayFigures* figures) {
  // The replay counts what is lost in the same daily peak hour the plan's
  // loads are read from.
  const PeakHour peak = FindPeakHour(figures->traffic, figures->quarters);
  const int32_t peakStart = peak.start < 0 ? 0 : peak.start * kQuarterHourSeconds;
  const int32_t peakEnd = peak.start < 0 ? 0 : peakStart + kBusyHourSeconds;
  replay.Replay(peakStart, peakEnd, lines, &figures->replay);
}

void CPlanDays::Begin(int32_t firstDay, int32_t room) {
  SYSTEMTIME local{};
  firstNumber_ = EpochToLocalFields(firstDay, &local) ? DayNumber(local.wYear, local.wMonth, local.wDay) : 0;
  const size_t size = static_cast<size_t>(std::max(room, 0));
  days_.assign(size, DayFigures{});
  kept_.assign(size, 0);
  groups_ = GroupDays{};
}

void CPlanDays::OnDay(const DayOccupancy& day) {
  SYSTEMTIME local{};
  const int32_t index =
      EpochToLocalFields(day.dayStart, &local) ? DayNumber(local.wYear, local.wMonth, local.wDay) - firstNumber_ : -1;
  if (index < 0 || static_cast<size_t>(index) >= days_.size()) return;
  // Straight into its slot: a day's figures are too large to pass around.
  DayFigures& figures = days_[static_cast<size_t>(index)];
  figures = FiguresOfDay(day);
  if (day.replay != nullptr) ReplayDayAttempts(*day.replay, replayLines, &figures);
  kept_[static_cast<size_t>(index)] = 1;
  if (day.groups == nullptr) return;
  day.groups->ForEachGroupToday([this](const std::string& name, GroupDayCounter& counter) {
    // Finished and replayed on the reading thread; only the filing takes turns.
    DayFigures group = counter.FinishDay();
    if (CallReplay* replay = counter.Replay(); replay != nullptr) {
      int32_t lines = 0;
      if (groupLines != nullptr) {
        static const std::string kNoName(kNoGroupName);
        const auto given = groupLines->find(name.empty() ? kNoName : name);
        if (given != groupLines->end()) lines = given->second;
      }
      ReplayDayAttempts(*replay, lines, &group);
    }
    std::lock_guard<std::mutex> lock(groupsLock_);
    groups_.Add(name, group, counter.SipTieRows());
  });
}

GroupDays CPlanDays::TakeGroupDays() { return std::move(groups_); }

std::vector<DayFigures> CPlanDays::TakeDays() {
  // In place: a year of days is too large to hold twice.
  size_t kept = 0;
  for (size_t i = 0; i < days_.size(); ++i) {
    if (kept_[i] == 0) continue;
    if (kept != i) days_[kept] = days_[i];
    ++kept;
  }
  days_.resize(kept);
  kept_.clear();
  return std::move(days_);
}
