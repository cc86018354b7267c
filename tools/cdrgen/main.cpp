// cdrgen: fills table CDRMAIN with realistic, reproducible call traffic for
// trying out and measuring the tool. See options.h for the command line.
#include <cstdio>
#include <memory>
#include <string>

#include "cdrgen/generator.h"
#include "cdrgen/odbc_sink.h"
#include "cdrgen/options.h"
#include "cdrgen/sqlite_sink.h"

int main(int argc, char** argv) {
  CdrGenOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      std::fputs(kCdrGenUsage, stdout);
      return 0;
    case ParseResult::kBad:
      std::fprintf(stderr, "cdrgen: %s\n%s", error.c_str(), kCdrGenUsage);
      return 2;
    case ParseResult::kRun:
      break;
  }

  std::unique_ptr<CdrSink> sink;
  if (!options.sqliteFile.empty()) {
    sink = std::make_unique<SqliteSink>(options.sqliteFile);
  } else {
    sink = std::make_unique<OdbcSink>(options.dsn);
  }
  int64_t maxSessionId = 0;
  if (!sink->Open(&maxSessionId)) return 1;
  // SessionID is a 32-bit column.
  if (maxSessionId < 0 || maxSessionId + MaxCallsOfPlan(options.plan) > INT32_MAX) {
    std::fprintf(stderr, "cdrgen: session numbers from %lld on would pass 2147483647\n",
                 static_cast<long long>(maxSessionId + 1));
    return 1;
  }

  int64_t rows = 0;
  if (!GenerateCalls(options.plan, maxSessionId + 1, *sink, &rows)) return 1;
  const CivilDate& end = options.plan.endDate;
  std::printf("cdrgen: %lld calls over %d days up to %04d-%02d-%02d\n", static_cast<long long>(rows),
              options.plan.days, end.year, end.month, end.day);
  return 0;
}
