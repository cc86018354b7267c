#include "report/plan_csv.h"

#include <cstdio>

#include "report/atomic_file.h"
#include "report/plan_csv_rows.h"

namespace {

std::string Path(const std::string& dir, const char* name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool WritePlanCsv(PlanCsvFile file, const std::string& dir, std::span<const DayFigures> days,
                  const CapacityPlan& plan, std::string* error) {
  std::string text = PlanCsvHeader(file, false);
  AppendPlanCsvRecords(file, days, plan, nullptr, &text);
  return WriteFileAtomically(Path(dir, PlanCsvName(file)), text, error);
}

}  // namespace

const char* MonthKindName(MonthKind kind) {
  switch (kind) {
    case MonthKind::kComplete: return "complete";
    case MonthKind::kPartial: return "partial";
    case MonthKind::kProjected: return "projected";
  }
  return "";
}

const char* ForecastModelName(ForecastModel model) {
  switch (model) {
    case ForecastModel::kLine: return "line";
    case ForecastModel::kSeasonal: return "seasonal-line";
    case ForecastModel::kHoltWinters: return "holt-winters";
  }
  return "";
}

std::string QuarterHourText(int32_t position) {
  if (position < 0) return "";
  char text[16] = {};
  std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(position / kQuartersPerHour),
                static_cast<int>(position % kQuartersPerHour * 15));
  return text;
}

bool WriteDaysCsv(const std::string& dir, std::span<const DayFigures> days, const CapacityPlan& plan,
                  std::string* error) {
  return WritePlanCsv(PlanCsvFile::kDays, dir, days, plan, error);
}

bool WriteMonthsCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  return WritePlanCsv(PlanCsvFile::kMonths, dir, {}, plan, error);
}

bool WriteProfileCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  return WritePlanCsv(PlanCsvFile::kProfile, dir, {}, plan, error);
}

bool WriteBacktestCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  return WritePlanCsv(PlanCsvFile::kBacktest, dir, {}, plan, error);
}
