// Every field of two DayFigures compared, each difference a failure of the
// calling test that names the field (and the quarter hour or replay size).
#pragma once

#include "planning/day_figures.h"

void ExpectSameDayFigures(const DayFigures& got, const DayFigures& want);
