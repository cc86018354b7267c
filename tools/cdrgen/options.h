// The command line of cdrgen:
//   cdrgen (--sqlite FILE | --dsn NAME) [--days N] [--calls-per-day N]
//          [--end-date YYYY-MM-DD] [--seed N] [--growth PERCENT]
//          [--trunk-lines N]
#pragma once

#include <cstdint>
#include <string>

#include "cdrgen/generator.h"

struct CdrGenOptions {
  std::string sqliteFile;  // exactly one of sqliteFile and dsn is set
  std::string dsn;
  GeneratorPlan plan;      // endDate is today (local) unless given
};

// Reads argv[1..argc-1]. On a bad command line returns false with a one-line
// reason in `error`.
bool ParseOptions(int argc, const char* const* argv, CdrGenOptions* out, std::string* error);

// The usage text, ending in a newline.
extern const char kCdrGenUsage[];
