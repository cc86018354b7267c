#include "report/plan_csv.h"

#include "report/atomic_file.h"
#include "report/plan_formats.h"

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

bool WriteDaysCsv(const std::string& dir, std::span<const DayFigures> days, std::string* error) {
  std::string text =
      std::string("date,calls,peak_calls,peak_time,busy_hour_start,busy_hour_erlangs,blocked_calls,missing") +
      kLineEnd;
  for (const DayFigures& day : days) {
    const bool busy = day.busyHourStart >= 0;
    Record(&text) << DateText(day) << day.calls << day.peakCalls << ClockText(day, day.peakSecond)
                  << (busy ? ClockText(day, day.busyHourStart) : std::string()) << ErlangsText(day.busyHourErlangs)
                  << day.blockedCalls << (day.missing ? 1 : 0);
  }
  return WriteFileAtomically(Path(dir, kDaysCsvName), text, error);
}

bool WriteMonthsCsv(const std::string& dir, const CapacityPlan& plan, std::string* error) {
  std::string text = std::string(
                         "month,kind,days,load_erlangs,load_upper_erlangs,peak_calls,blocked_calls,lines_needed,"
                         "lines_needed_upper") +
                     kLineEnd;
  const std::string none;
  for (const MonthPlan& month : plan.months) {
    Record record(&text);
    record << MonthText(month.year, month.month, '-') << MonthKindName(month.kind);
    if (month.kind == MonthKind::kProjected) {
      record << none << ErlangsText(month.load) << ErlangsText(month.loadUpper) << none << none << month.linesNeeded
             << month.linesNeededUpper;
    } else {
      record << month.days << ErlangsText(month.load) << none << month.peakCalls << month.blockedCalls
             << month.linesNeeded << none;
    }
  }
  return WriteFileAtomically(Path(dir, kMonthsCsvName), text, error);
}
