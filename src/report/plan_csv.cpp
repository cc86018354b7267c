#include "report/plan_csv.h"

#include <cmath>
#include <cstdio>

#include "report/atomic_file.h"
#include "report/plan_formats.h"
#include "timeutil/calendar_months.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

std::string Path(const std::string& dir, const char* name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// One record from its fields, in order.
class Record {
 public:
  explicit Record(std::string* out) : out_(out) {}
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
  std::string text = std::string(
                         "date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing,"
                         "peak_hour_start,peak_hour_erlangs,busy_day") +
                     kLineEnd;
  for (size_t i = 0; i < days.size(); ++i) {
    const DayFigures& day = days[i];
    const bool busy = day.busyHourStart >= 0;
    const DayLoad load = i < plan.dayLoads.size() ? plan.dayLoads[i] : DayLoad{};
    const bool peak = load.peakHour.start >= 0;
    Record(&text) << DateText(day) << day.calls << day.peakCalls << ClockText(day, day.peakSecond)
                  << (busy ? ClockText(day, day.busyHourStart) : std::string()) << ErlangsText(day.busyHourErlangs)
                  << day.blockedCalls << (day.missing ? 1 : 0)
                  << (peak ? ClockText(day, load.peakHour.start * kQuarterHourSeconds) : std::string())
                  << (peak ? ErlangsText(load.peakHour.erlangs) : std::string()) << (load.busy ? 1 : 0);
  }
  return WriteFileAtomically(Path(dir, kDaysCsvName), text, error);
}

bool WriteMonthsCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  std::string text = std::string(
                         "month,kind,days,busy_days,busy_hour_start,carried_erlangs,blocked_share,load_erlangs,"
                         "high_load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,"
                         "lines_needed_upper,model") +
                     kLineEnd;
  const std::string none;
  for (const MonthPlan& month : plan.months) {
    Record record(&text);
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
  return WriteFileAtomically(Path(dir, kMonthsCsvName), text, error);
}

bool WriteProfileCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  std::string text = std::string("month,quarter_hour,erlangs") + kLineEnd;
  for (int32_t i = 0; i < plan.measuredMonths; ++i) {
    const MonthPlan& month = plan.months[static_cast<size_t>(i)];
    if (month.busyDays == 0) continue;
    const std::string name = MonthText(month.year, month.month, '-');
    for (int32_t q = 0; q < kClockQuarterHours; ++q) {
      Record(&text) << name << QuarterHourText(q) << ErlangsText(month.profile[static_cast<size_t>(q)]);
    }
  }
  return WriteFileAtomically(Path(dir, kProfileCsvName), text, error);
}

bool WriteBacktestCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  std::string text = std::string("model,origin,horizon,month,forecast,actual") + kLineEnd;
  if (plan.firstComplete >= 0) {
    // k = 1 is the first complete month.
    const MonthPlan& first = plan.months[static_cast<size_t>(plan.firstComplete)];
    const int32_t base = MonthCount(first.year, first.month) - 1;
    const auto monthOf = [base](double k) {
      const int32_t count = base + static_cast<int32_t>(std::lround(k));
      return MonthText(YearOfMonthCount(count), MonthOfMonthCount(count), '-');
    };
    for (const BacktestForecast& row : plan.forecast.backtest) {
      Record(&text) << ForecastModelName(row.model) << monthOf(row.originK) << row.horizon << monthOf(row.k)
                    << ErlangsText(row.forecast) << ErlangsText(row.actual);
    }
  }
  return WriteFileAtomically(Path(dir, kBacktestCsvName), text, error);
}
