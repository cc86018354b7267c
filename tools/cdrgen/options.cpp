#include "cdrgen/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

const char kCdrGenUsage[] =
    "usage: cdrgen (--sqlite FILE | --dsn NAME) [--days N] [--calls-per-day N]\n"
    "              [--end-date YYYY-MM-DD] [--seed N] [--growth PERCENT]\n"
    "              [--trunk-lines N]\n"
    "Appends generated call-detail records to table CDRMAIN, creating the table\n"
    "and its indexes when it does not exist.\n"
    "  --days N           days of traffic ending with the end date (default 395)\n"
    "  --calls-per-day N  long-run average of calls per day (default 10000)\n"
    "  --end-date DATE    last day, local time (default today)\n"
    "  --seed N           the same seed gives the same records (default 1)\n"
    "  --growth PERCENT   traffic grows by that much a year up to the end date\n"
    "                     (default 0; -99 to 1000)\n"
    "  --trunk-lines N    a trunk group of N lines: a trunk call that finds them\n"
    "                     all busy is written as ALL_TRK_BUSY (default unlimited)\n";

namespace {

// Strict unsigned decimal within [low, high].
bool ParseNumber(const char* text, uint64_t low, uint64_t high, uint64_t* out) {
  if (text == nullptr || *text == '\0') return false;
  uint64_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(*p - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  if (value < low || value > high) return false;
  *out = value;
  return true;
}

// A decimal number within [low, high], all of `text`.
bool ParseDecimal(const char* text, double low, double high, double* out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*end != '\0' || !std::isfinite(value) || value < low || value > high) return false;
  *out = value;
  return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, CdrGenOptions* out, std::string* error) {
  CdrGenOptions options;
  bool endDateGiven = false;
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (value == nullptr) {
      *error = std::string(name) + " needs a value";
      return false;
    }
    ++i;
    uint64_t number = 0;
    if (std::strcmp(name, "--sqlite") == 0) {
      options.sqliteFile = value;
    } else if (std::strcmp(name, "--dsn") == 0) {
      options.dsn = value;
    } else if (std::strcmp(name, "--days") == 0) {
      if (!ParseNumber(value, 1, 36500, &number)) {
        *error = "--days takes a number from 1 to 36500";
        return false;
      }
      options.plan.days = static_cast<int32_t>(number);
    } else if (std::strcmp(name, "--calls-per-day") == 0) {
      if (!ParseNumber(value, 0, 1000000, &number)) {
        *error = "--calls-per-day takes a number from 0 to 1000000";
        return false;
      }
      options.plan.callsPerDay = static_cast<int32_t>(number);
    } else if (std::strcmp(name, "--end-date") == 0) {
      if (!ParseIsoDate(value, &options.plan.endDate)) {
        *error = "--end-date takes a date YYYY-MM-DD from 1970 to 2037";
        return false;
      }
      endDateGiven = true;
    } else if (std::strcmp(name, "--seed") == 0) {
      if (!ParseNumber(value, 0, UINT64_MAX, &number)) {
        *error = "--seed takes a non-negative number";
        return false;
      }
      options.plan.seed = number;
    } else if (std::strcmp(name, "--growth") == 0) {
      if (!ParseDecimal(value, -99.0, 1000.0, &options.plan.growthPercent)) {
        *error = "--growth takes a percentage from -99 to 1000";
        return false;
      }
    } else if (std::strcmp(name, "--trunk-lines") == 0) {
      if (!ParseNumber(value, 1, 100000, &number)) {
        *error = "--trunk-lines takes a number from 1 to 100000";
        return false;
      }
      options.plan.trunkLines = static_cast<int32_t>(number);
    } else {
      *error = std::string("unknown option ") + name;
      return false;
    }
  }
  if (options.sqliteFile.empty() == options.dsn.empty()) {
    *error = "give exactly one of --sqlite FILE and --dsn NAME";
    return false;
  }
  if (!endDateGiven) options.plan.endDate = LocalToday();
  // Call times are 32-bit epoch seconds counted from 1970.
  if (DaysFromCivil(options.plan.endDate) - options.plan.days + 1 < 1) {
    *error = "the days reach back before 1970-01-02";
    return false;
  }
  *out = options;
  return true;
}
