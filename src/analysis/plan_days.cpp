#include "analysis/plan_days.h"

#include "planning/busy_hour.h"
#include "platform/local_time.h"
#include "timeutil/time_conversions.h"


DayFigures FiguresOfDay(const DayOccupancy& day) {
  DayFigures figures;
  SYSTEMTIME local{};
  if (EpochToLocalFields(day.dayStart, &local)) {
    figures.year = local.wYear;
    figures.month = local.wMonth;
    figures.day = local.wDay;
  }
  figures.dayStart = day.dayStart;
  figures.calls = day.rows;
  figures.peakCalls = day.peakValue;
  figures.peakSecond = day.peakSecond;
  const BusyHour busy = FindBusyHour(day.counts, day.dayLength);
  figures.busyHourStart = busy.start;
  figures.busyHourErlangs = busy.Erlangs();
  figures.blockedCalls = day.blockedRows;
  return figures;
}

void CPlanDays::Begin(int32_t firstDay) {
  SYSTEMTIME local{};
  firstNumber_ = EpochToLocalFields(firstDay, &local) ? DayNumber(local.wYear, local.wMonth, local.wDay) : 0;
  kept_.fill(false);
}

void CPlanDays::OnDay(const DayOccupancy& day) {
  const DayFigures figures = FiguresOfDay(day);
  const int32_t index = figures.year == 0 ? -1 : DayNumber(figures.year, figures.month, figures.day) - firstNumber_;
  if (index < 0 || index >= kMaxDays) return;
  days_[static_cast<size_t>(index)] = figures;
  kept_[static_cast<size_t>(index)] = true;
}

std::vector<DayFigures> CPlanDays::Days() const {
  std::vector<DayFigures> days;
  for (size_t i = 0; i < days_.size(); ++i) {
    if (kept_[i]) days.push_back(days_[i]);
  }
  return days;
}
