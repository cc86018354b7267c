#include "analysis/day_reader.h"

#include <cstdio>

#include "analysis/check_progress.h"
#include "timeutil/time_conversions.h"

DayRead DayReader::Read(const CheckRequest& request, int32_t dayStart, std::string* listed, CDayObserver* observer) {
  // With the connection gone no day can be read; asking again for each would
  // only repeat the same diagnostics.
  if (session_.connectionLost != 0) return DayRead::kLost;
  counter_.StartDay(dayStart, NextLocalMidnight(dayStart), request.keepsAttempts);
  listed_ = listed;
  lists_ = request.columns == CallColumns::kDetails;
  viewTime_ = request.viewTime;
  bool read = true;
  if (request.kind != nullptr) {
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
  if (observer != nullptr) observer->OnDay(counter_.Readings());
  return DayRead::kRead;
}

bool DayReader::Scan(const char* select, const CheckRequest& request, DayPass pass, uint32_t passFlag) {
  char statement[kStatementSize] = {};
  const int32_t dayEnd =
      static_cast<int32_t>(static_cast<uint32_t>(counter_.DayStart) + static_cast<uint32_t>(counter_.DayLength));
  FormatDaySelect(statement, sizeof statement, select, counter_.DayStart, dayEnd);
  pass_ = pass;
  ScanCalls(session_, statement, this, request.columns, passFlag);
  return session_.lastStatementFailed == 0;
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
