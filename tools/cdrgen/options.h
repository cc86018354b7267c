// The command line of cdrgen:
//   cdrgen --help
//   cdrgen (--sqlite FILE | --dsn NAME) [--days N] [--calls-per-day N]
//          [--end-date YYYY-MM-DD] [--seed N] [--growth PERCENT]
//          [--trunk-lines N] [--sites N [--site-shares LIST]
//          [--site-lines LIST] [--tie-percent P]]
//          [--tenants N [--tenant-zipf S]]
// The options of sites and tenants are those of GeneratorPlan (generator.h);
// a LIST has one number per site, separated by commas.
#pragma once

#include <cstdint>
#include <string>

#include "cdrgen/generator.h"

struct CdrGenOptions {
  std::string sqliteFile;  // exactly one of sqliteFile and dsn is set
  std::string dsn;
  GeneratorPlan plan;      // endDate is today (local) unless given
};

enum class ParseResult {
  kRun,   // `out` holds the options
  kHelp,  // --help (or -h) was given: print the usage, exit 0
  kBad,   // a one-line reason is in `error`
};

// Reads argv[1..argc-1] with CLI11, as nortesk-etp reads its own.
ParseResult ParseOptions(int argc, const char* const* argv, CdrGenOptions* out, std::string* error);

// The usage text, ending in a newline.
extern const char kCdrGenUsage[];
