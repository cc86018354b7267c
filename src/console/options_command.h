// The options command o: the view record time, the second pass of the peak
// day check and the data source name.
#pragma once

// o[,S[,values...]] from CommandTokens:
//   o, o,0                 prints the list of sub-commands
//   o,1,month,day,year,h,m,s  ViewTime = the local moment the clock shows
//                          that date and time (0 date fields are today's;
//                          fields out of range roll over as a calendar does)
//   o,2,n                  CountIPExtToIPExt = n
//   o,3,name               DsnName = name, "_" standing for a blank, cut to
//                          31 characters; no connection is reopened
//   o,4,n                  ViewTime = the time of entry n (from 1) of the
//                          last peak list
// Other sub-commands do nothing.
void OptionsCommand();
