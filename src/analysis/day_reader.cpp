#include "analysis/day_reader.h"

#include <cstdio>
#include <cstring>

#include "analysis/check_progress.h"
#include "timeutil/time_conversions.h"

namespace {

// The bound the statements read the day up to (a date past 2038 wraps as
// the day's start does).
int32_t DayEndOf(const DayCounter& counter) {
  return static_cast<int32_t>(static_cast<uint32_t>(counter.DayStart) + static_cast<uint32_t>(counter.DayLength));
}

}  // namespace

DayRead DayReader::Read(const CheckRequest& request, int32_t dayStart, std::string* listed, CDayObserver* observer) {
  // With the connection gone no day can be read; asking again for each would
  // only repeat the same diagnostics.
  if (session_.connectionLost != 0) return DayRead::kLost;
  const int32_t dayEnd = NextLocalMidnight(dayStart);
  grouped_ = request.grouped;
  // Grouped, the plan is the groups': the day's total keeps no rows.
  counter_.StartDay(dayStart, dayEnd, request.keepsAttempts && grouped_ == nullptr);
  if (grouped_ != nullptr) groups_.StartDay(dayStart, dayEnd, request.keepsAttempts);
  listed_ = listed;
  lists_ = request.columns == CallColumns::kDetails;
  viewTime_ = request.viewTime;
  bool read = true;
  if (grouped_ != nullptr) {
    read = ScanGrouped(grouped_->first, DayPass::kFirst);
    if (read && request.secondPass) read = ScanGrouped(grouped_->second, DayPass::kSecond);
  } else if (request.kind != nullptr) {
    const DaySelects& selects = request.kind->selects;
    const bool details = request.columns == CallColumns::kDetails;
    read = Scan(details ? selects.first : selects.firstTimes, request, DayPass::kFirst, 0);
    if (read && request.secondPass) {
      read = Scan(details ? selects.second : selects.secondTimes, request, DayPass::kSecond, selects.passFlag);
    }
  }
  listed_ = nullptr;
  if (!read) return session_.connectionLost != 0 ? DayRead::kLost : DayRead::kFailed;
  counter_.FinishDay();
  if (observer == nullptr) return DayRead::kRead;
  DayOccupancy day = counter_.Readings();
  if (grouped_ != nullptr) day.groups = &groups_;
  observer->OnDay(day);
  return DayRead::kRead;
}

bool DayReader::Scan(const char* select, const CheckRequest& request, DayPass pass, uint32_t passFlag) {
  char statement[kStatementSize] = {};
  FormatDaySelect(statement, sizeof statement, select, counter_.DayStart, DayEndOf(counter_));
  pass_ = pass;
  ScanCalls(session_, statement, this, request.columns, passFlag);
  return session_.lastStatementFailed == 0;
}

bool DayReader::ScanGrouped(const std::string& select, DayPass pass) {
  char statement[kGroupedStatementSize] = {};
  FormatDaySelect(statement, sizeof statement, select.c_str(), counter_.DayStart, DayEndOf(counter_));
  pass_ = pass;
  ScanGroupedCalls(session_, statement, grouped_->countsSipTies,
                   grouped_->groupBy.IsPair() && pass == DayPass::kSecond, this, grouped_->parameters);
  return session_.lastStatementFailed == 0;
}

void DayReader::OnGroupedRow(const GroupedRow& row) {
  counter_.AddRow(row.startTime, row.endTime, row.exitState, pass_);
  GroupDayCounter& group = groups_.Of(row.group);
  // The second row of a call between two groups is the call's only one in
  // its group: an attempt there, carried or turned away.
  const bool apart = row.firstGroup != nullptr && std::strcmp(row.firstGroup, row.group) != 0;
  group.AddRow(row.startTime, row.endTime, row.exitState, apart ? DayPass::kFirst : pass_);
  if (row.filedEndType == kSipTieType) group.CountSipTie();
}

int32_t DayReader::OnCall(int32_t startTime, int32_t endTime) {
  lastStart_ = startTime;
  lastEnd_ = endTime;
  if (!counter_.CountOccupancy(startTime, endTime)) return 0;
  if (!lists_ || startTime > viewTime_ || viewTime_ > endTime) return 0;
  // The scan prints this row next; it must not run into the progress line.
  if (listed_ == nullptr) RangeProgress.Hide();
  return 1;
}

void DayReader::OnExitState(int32_t exitState) { counter_.CountOutcome(lastStart_, lastEnd_, exitState, pass_); }

void DayReader::PrintRow(const char* line) {
  if (listed_ != nullptr) {
    listed_->append(line);
  } else {
    std::fputs(line, stdout);
  }
}
