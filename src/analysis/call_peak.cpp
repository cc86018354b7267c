#include "analysis/call_peak.h"

CCallPeak CallPeak;
