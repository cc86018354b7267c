// The trunk-minutes report of the commands m and M: for the current local
// month and the three before it, oldest first, the minutes talked on trunk
// calls inbound, outbound and in total, one line per month.
#pragma once

class OSql;

// Opens a session of its own on the DsnName in force, prints the report and
// closes the session again. withoutSipTie 0 counts every trunk call; 1
// leaves out calls whose only trunk end is a SIP tie line. When the data
// source cannot be opened, the failure line, the header and the closing
// blank line are printed and no month line.
void TrunkMinutesCommand(int withoutSipTie);

// The report on `session`, whose statements it runs there: the header, a
// line for each month (a month whose sums fail prints nothing), and a blank
// line. Returns 1.
int ReportTrunkMinutes(OSql& session, int withoutSipTie);
