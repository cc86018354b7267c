// CCallPeak: the long-lived peak checker. It carries the ODBC session on
// which every peak check runs its queries, opened at start-up and closed at
// quit.
#pragma once

#include "db/osql.h"

class CCallPeak {
 public:
  // Open and close Session exactly as OSql::OpenDatabase and
  // OSql::CloseDatabase do.
  int OpenDatabase() { return Session.OpenDatabase(); }
  void CloseDatabase() { Session.Disconnect(); }

  OSql Session;
};

// The one peak checker of the process.
extern CCallPeak CallPeak;
