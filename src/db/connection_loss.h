// Which failures of a statement mean that the connection to the data source
// is gone, so that nothing more can be read on the session until it is
// opened again.
#pragma once

// True for a diagnostic record with SQLSTATE `state` (five characters) and
// the driver's native error `nativeError` that reports a lost or refused
// connection: every state of class 08 (connection exception), HYT01
// (connection timeout), the server shut-down states 57P01, 57P02 and 57P03,
// and MariaDB's "server has gone away" and "lost connection" errors (2006,
// 2013), which some driver versions report under the general state HY000.
bool IsConnectionLost(const char* state, int nativeError);
