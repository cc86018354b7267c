#include "report/plan_csv_rows.h"

#include <cmath>

#include "report/plan_csv.h"
#include "report/plan_formats.h"
#include "timeutil/calendar_months.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

// One record from its fields, in order, after the group's when there is
// one.
class Record {
 public:
  Record(const std::string* groupField, std::string* out) : out_(out) {
    if (groupField != nullptr) *this << *groupField;
  }
  ~Record() { *out_ += kLineEnd; }
  Record& operator<<(const std::string& field) {
    if (!first_) *out_ += ',';
    first_ = false;
    *out_ += field;
    return *this;
  }
  Record& operator<<(int32_t value) { return *this << std::to_string(value); }

 private:
  std::string* out_;
  bool first_ = true;
};

void AddDays(std::span<const DayFigures> days, const CapacityPlan& plan, const std::string* group, std::string* text) {
  for (size_t i = 0; i < days.size(); ++i) {
    const DayFigures& day = days[i];
    const bool busy = day.busyHourStart >= 0;
    const DayLoad load = i < plan.dayLoads.size() ? plan.dayLoads[i] : DayLoad{};
    const bool peak = load.peakHour.start >= 0;
    Record(group, text) << DateText(day) << day.calls << day.peakCalls << ClockText(day, day.peakSecond)
                        << (busy ? ClockText(day, day.busyHourStart) : std::string())
                        << ErlangsText(day.busyHourErlangs) << day.blockedCalls << (day.missing ? 1 : 0)
                        << (peak ? ClockText(day, load.peakHour.start * kQuarterHourSeconds) : std::string())
                        << (peak ? ErlangsText(load.peakHour.erlangs) : std::string()) << (load.busy ? 1 : 0);
  }
}

void AddMonths(const CapacityPlan& plan, const std::string* group, std::string* text) {
  const std::string none;
  for (const MonthPlan& month : plan.months) {
    Record record(group, text);
    record << MonthText(month.year, month.month, '-') << MonthKindName(month.kind);
    if (month.kind == MonthKind::kProjected) {
      record << none << none << none << none << none << ErlangsText(month.load) << ErlangsText(month.highLoad)
             << ErlangsText(month.loadUpper) << none << none << month.linesNeeded << month.linesNeededUpper
             << ForecastModelName(plan.forecast.model);
    } else if (month.busyDays == 0) {
      record << month.days << 0 << none << none << none << none << none << none << month.peakCalls
             << month.blockedCalls << month.linesNeeded << none << none;
    } else {
      record << month.days << month.busyDays << QuarterHourText(month.busyHourStart) << ErlangsText(month.carried)
             << ShareText(month.blockedShare) << ErlangsText(month.load) << ErlangsText(month.highLoad) << none
             << month.peakCalls << month.blockedCalls << month.linesNeeded << none << none;
    }
  }
}

void AddProfile(const CapacityPlan& plan, const std::string* group, std::string* text) {
  for (int32_t i = 0; i < plan.measuredMonths; ++i) {
    const MonthPlan& month = plan.months[static_cast<size_t>(i)];
    if (month.busyDays == 0) continue;
    const std::string name = MonthText(month.year, month.month, '-');
    for (int32_t q = 0; q < kClockQuarterHours; ++q) {
      Record(group, text) << name << QuarterHourText(q) << ErlangsText(month.profile[static_cast<size_t>(q)]);
    }
  }
}

void AddBacktest(const CapacityPlan& plan, const std::string* group, std::string* text) {
  if (plan.firstComplete < 0) return;
  // k = 1 is the first complete month.
  const MonthPlan& first = plan.months[static_cast<size_t>(plan.firstComplete)];
  const int32_t base = MonthCount(first.year, first.month) - 1;
  const auto monthOf = [base](double k) {
    const int32_t count = base + static_cast<int32_t>(std::lround(k));
    return MonthText(YearOfMonthCount(count), MonthOfMonthCount(count), '-');
  };
  for (const BacktestForecast& row : plan.forecast.backtest) {
    Record(group, text) << ForecastModelName(row.model) << monthOf(row.originK) << row.horizon << monthOf(row.k)
                        << ErlangsText(row.forecast) << ErlangsText(row.actual);
  }
}

}  // namespace

const char* PlanCsvName(PlanCsvFile file) {
  switch (file) {
    case PlanCsvFile::kDays: return kDaysCsvName;
    case PlanCsvFile::kMonths: return kMonthsCsvName;
    case PlanCsvFile::kProfile: return kProfileCsvName;
    case PlanCsvFile::kBacktest: return kBacktestCsvName;
  }
  return "";
}

std::string PlanCsvHeader(PlanCsvFile file, bool grouped) {
  const char* header = "";
  switch (file) {
    case PlanCsvFile::kDays:
      header = "date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing,"
               "peak_hour_start,peak_hour_erlangs,busy_day";
      break;
    case PlanCsvFile::kMonths:
      header = "month,kind,days,busy_days,busy_hour_start,carried_erlangs,blocked_share,load_erlangs,"
               "high_load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,lines_needed_upper,model";
      break;
    case PlanCsvFile::kProfile: header = "month,quarter_hour,erlangs"; break;
    case PlanCsvFile::kBacktest: header = "model,origin,horizon,month,forecast,actual"; break;
  }
  return (grouped ? "group," : "") + std::string(header) + kLineEnd;
}

void AppendPlanCsvRecords(PlanCsvFile file, std::span<const DayFigures> days, const CapacityPlan& plan,
                          const std::string* groupField, std::string* text) {
  switch (file) {
    case PlanCsvFile::kDays: AddDays(days, plan, groupField, text); break;
    case PlanCsvFile::kMonths: AddMonths(plan, groupField, text); break;
    case PlanCsvFile::kProfile: AddProfile(plan, groupField, text); break;
    case PlanCsvFile::kBacktest: AddBacktest(plan, groupField, text); break;
  }
}
