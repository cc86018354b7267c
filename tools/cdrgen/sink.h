// CdrSink: where generated records go. A sink opens its database, creates
// table CDRMAIN with its indexes from the project's schema when the table
// does not exist, and appends records inside one transaction, so a run
// either adds all its rows or none. Failures are reported on standard
// error.
#pragma once

#include <cstdint>

#include "cdrgen/cdr_record.h"

class CdrSink {
 public:
  virtual ~CdrSink() = default;

  // Connects, starts the transaction, creates the table when missing and
  // reads the highest SessionID already stored (0 for an empty table) into
  // `maxSessionId`.
  virtual bool Open(int64_t* maxSessionId) = 0;

  // Appends one record (it may be held back and sent with others).
  virtual bool Write(const CdrRecord& record) = 0;

  // Sends what is held back and commits.
  virtual bool Finish() = 0;
};
