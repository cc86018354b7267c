#include "cdrgen/options.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdint>
#include <string>

const char kCdrGenUsage[] =
    "usage: cdrgen --help\n"
    "       cdrgen (--sqlite FILE | --dsn NAME) [--days N] [--calls-per-day N]\n"
    "              [--end-date YYYY-MM-DD] [--seed N] [--growth PERCENT]\n"
    "              [--trunk-lines N] [--sites N [--site-shares LIST]\n"
    "              [--site-lines LIST] [--tie-percent P]]\n"
    "              [--tenants N [--tenant-zipf S]]\n"
    "Appends generated call-detail records to table CDRMAIN, creating the table\n"
    "and its indexes when it does not exist.\n"
    "  --days N           days of traffic ending with the end date (default 395)\n"
    "  --calls-per-day N  long-run average of calls per day (default 10000)\n"
    "  --end-date DATE    last day, local time (default today)\n"
    "  --seed N           the same seed gives the same records (default 1)\n"
    "  --growth PERCENT   traffic grows by that much a year up to the end date\n"
    "                     (default 0; -99 to 1000)\n"
    "  --trunk-lines N    a trunk group of N lines: a trunk call that finds them\n"
    "                     all busy is written as ALL_TRK_BUSY (default unlimited)\n"
    "  --sites N          each call lies at one of the sites 1..N (1 to 1000),\n"
    "                     written to CallerSiteNodeId and CalleeSiteNodeId: the\n"
    "                     site of its trunk end, which is its extension's too\n"
    "                     (default no sites, both NULL)\n"
    "  --site-shares LIST the sites' shares of the calls, one whole number from 1\n"
    "                     per site, e.g. 60,40 (default equal shares)\n"
    "  --site-lines LIST  a trunk group for each site, its lines per site, e.g.\n"
    "                     24,20: a trunk call that finds its site's lines all busy\n"
    "                     is written as ALL_TRK_BUSY (not with --trunk-lines)\n"
    "  --tie-percent P    P percent of the calls are SIP tie calls (type 9 at both\n"
    "                     ends) from the caller's site (CallerSiteNodeId) to\n"
    "                     another (CalleeSiteNodeId) drawn by the others' shares;\n"
    "                     one holds a line at each of the two sites and is turned\n"
    "                     away when either has none free (default 0; needs two\n"
    "                     sites or more)\n"
    "  --tenants N        TargetTenant is one of tenant-1 .. tenant-N, zero-padded\n"
    "                     to the digits of N (1 to 100000; default none, NULL)\n"
    "  --tenant-zipf S    tenant k's share of the calls is proportional to 1/k^S\n"
    "                     (default 1; 0 for equal shares, at most 10)\n";

namespace {

// Strict unsigned decimal of 64 bits: CLI11 lets a larger one wrap around.
bool ParseSeed(const std::string& text, uint64_t* out) {
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

std::string CheckSeed(std::string& text) {
  uint64_t seed = 0;
  return ParseSeed(text, &seed) ? "" : "--seed takes a non-negative number below 2^64";
}

std::string CheckIsoDate(std::string& text) {
  CivilDate date{};
  return ParseIsoDate(text.c_str(), &date) ? "" : "--end-date takes a date YYYY-MM-DD from 1970 to 2037";
}

}  // namespace

ParseResult ParseOptions(int argc, const char* const* argv, CdrGenOptions* out, std::string* error) {
  CdrGenOptions options;
  std::string endDate;
  std::string seed;
  CLI::App app("cdrgen", "cdrgen");
  // The usage text is written out above; CLI11's own help is not used.
  app.set_help_flag();
  app.add_flag("-h,--help")->description("print the usage");
  app.add_option("--sqlite", options.sqliteFile)->check(CLI::Validator(
      [](std::string& text) { return text.empty() ? std::string("--sqlite needs a file name") : std::string(); },
      ""));
  app.add_option("--dsn", options.dsn)->check(CLI::Validator(
      [](std::string& text) { return text.empty() ? std::string("--dsn needs a name") : std::string(); }, ""));
  app.add_option("--days", options.plan.days)->check(CLI::Range(1, 36500));
  app.add_option("--calls-per-day", options.plan.callsPerDay)->check(CLI::Range(0, 1000000));
  app.add_option("--end-date", endDate)->check(CLI::Validator(CheckIsoDate, ""));
  app.add_option("--seed", seed)->check(CLI::Validator(CheckSeed, ""));
  app.add_option("--growth", options.plan.growthPercent)->check(CLI::Range(-99.0, 1000.0));
  app.add_option("--trunk-lines", options.plan.trunkLines)->check(CLI::Range(1, 100000));
  app.add_option("--sites", options.plan.sites)->check(CLI::Range(1, 1000));
  app.add_option("--site-shares", options.plan.siteShares)->delimiter(',')->check(CLI::Range(1, 1000000));
  app.add_option("--site-lines", options.plan.siteLines)->delimiter(',')->check(CLI::Range(1, 100000));
  double tiePercent = 0.0;
  app.add_option("--tie-percent", tiePercent)->check(CLI::Range(0.0, 100.0));
  app.add_option("--tenants", options.plan.tenants)->check(CLI::Range(1, 100000));
  app.add_option("--tenant-zipf", options.plan.tenantZipf)->check(CLI::Range(0.0, 10.0));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    *error = e.what();
    return ParseResult::kBad;
  }
  if (app.count("--help") > 0) return ParseResult::kHelp;
  if (options.sqliteFile.empty() == options.dsn.empty()) {
    *error = "give exactly one of --sqlite FILE and --dsn NAME";
    return ParseResult::kBad;
  }
  if (!seed.empty()) ParseSeed(seed, &options.plan.seed);
  const GeneratorPlan& plan = options.plan;
  const size_t sites = static_cast<size_t>(plan.sites);
  if (plan.sites == 0 && (app.count("--site-shares") + app.count("--site-lines") + app.count("--tie-percent")) > 0) {
    *error = "--site-shares, --site-lines and --tie-percent need --sites N";
    return ParseResult::kBad;
  }
  if ((!plan.siteShares.empty() && plan.siteShares.size() != sites) ||
      (!plan.siteLines.empty() && plan.siteLines.size() != sites)) {
    *error = "--site-shares and --site-lines take one number per site, " + std::to_string(sites) + " in all";
    return ParseResult::kBad;
  }
  if (!plan.siteLines.empty() && plan.trunkLines > 0) {
    *error = "give --trunk-lines (one group for all sites) or --site-lines, not both";
    return ParseResult::kBad;
  }
  options.plan.tiePerMillion = static_cast<uint32_t>(std::lround(tiePercent * 10000.0));
  if (options.plan.tiePerMillion > 0 && plan.sites < 2) {
    *error = "--tie-percent needs two sites or more";
    return ParseResult::kBad;
  }
  if (plan.tenants == 0 && app.count("--tenant-zipf") > 0) {
    *error = "--tenant-zipf needs --tenants N";
    return ParseResult::kBad;
  }
  if (endDate.empty()) {
    options.plan.endDate = LocalToday();
  } else {
    ParseIsoDate(endDate.c_str(), &options.plan.endDate);
  }
  // Call times are 32-bit epoch seconds counted from 1970.
  if (DaysFromCivil(options.plan.endDate) - options.plan.days + 1 < 1) {
    *error = "the days reach back before 1970-01-02";
    return ParseResult::kBad;
  }
  *out = options;
  return ParseResult::kRun;
}
