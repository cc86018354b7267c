#include "cli/plan_option_values.h"

#include <cstdlib>

#include "analysis/planned_records.h"

std::string CheckPercent(std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(value > 0.0 && value < 100.0)) {
    return "a percentage above 0 and below 100 is needed, not " + text;
  }
  return "";
}

BusyDaysRule BusyDaysRuleNamed(const std::string& name) {
  if (name == "weekdays") return BusyDaysRule::kWeekdays;
  if (name == "all") return BusyDaysRule::kAll;
  return BusyDaysRule::kAuto;
}

PlanRequest PlanRequestFor(double gradePercent, double highGradePercent, int32_t lines, int32_t horizonMonths,
                           const std::string& busyDays) {
  PlanRequest request = TodaysPlanRequest();
  request.grade = gradePercent / 100.0;
  request.highGrade = highGradePercent / 100.0;
  request.lines = lines;
  request.horizonMonths = horizonMonths;
  request.busyDays = BusyDaysRuleNamed(busyDays);
  return request;
}
