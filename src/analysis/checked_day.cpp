#include "analysis/checked_day.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/day_statements.h"
#include "analysis/grouped_day.h"
#include "analysis/plan_days.h"

namespace {

// Keeps the planner's figures of the one day checked.
class KeepDay : public CDayObserver {
 public:
  void OnDay(const DayOccupancy& day) override {
    figures = FiguresOfDay(day);
    seen = true;
    if (day.groups == nullptr) return;
    day.groups->ForEachGroupToday([this](const std::string& name, GroupDayCounter& counter) {
      groups.emplace_back(name, counter.FinishDay());
    });
    std::sort(groups.begin(), groups.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  DayFigures figures;
  std::vector<std::pair<std::string, DayFigures>> groups;
  bool seen = false;
};

// Reads the start of the newest record of any kind into `newest` (left
// empty for an empty table); false when the statement failed.
bool ReadNewestRecord(OSql& session, std::optional<int64_t>* newest) {
  char text[64] = {};
  if (session.QueryFirstText(kNewestRecordStartStatement, text, sizeof text) == 0) return false;
  if (text[0] == '\0') return true;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || !std::isfinite(value)) return false;
  *newest = static_cast<int64_t>(std::floor(value));
  return true;
}

}  // namespace

CheckedDay ReadCheckedDay(CCallPeak& checker, const CheckRequest& request, int32_t dayStart) {
  CheckedDay checked;
  std::string rows;
  checker.Session.printSink = &checked.diagnostics;
  checker.rowSink = &rows;
  checker.Reset();
  KeepDay keep;
  CDayObserver* const observer = checker.DayObserver;
  checker.DayObserver = &keep;
  checker.CheckDay(request, dayStart);
  checker.DayObserver = observer;
  checker.rowSink = nullptr;
  if (checker.UnreadDays > 0 || !keep.seen) {
    checker.Session.printSink = nullptr;
    checked.outcome = CheckedDayOutcome::kDayUnread;
    checked.connectionLost = checker.Session.connectionLost != 0;
    return checked;
  }
  checked.figures = keep.figures;
  checked.groups = std::move(keep.groups);
  const bool newestRead = ReadNewestRecord(checker.Session, &checked.newest);
  checker.Session.printSink = nullptr;
  if (!newestRead) {
    checked.outcome = CheckedDayOutcome::kNewestUnread;
    checked.connectionLost = checker.Session.connectionLost != 0;
  }
  return checked;
}
