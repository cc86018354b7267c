// Erlang's loss formula B(A, N): the probability that a call offered to N
// lines carrying A Erlangs of traffic finds them all busy, and the two
// questions a planner asks of it. Pure functions; a grade of service is a
// blocking probability as a fraction (0.01 for 1%).
#pragma once

#include <cstdint>

// B(A, N) by the recurrence B(A, 0) = 1, B(A, n) = A·B(A, n−1) / (n +
// A·B(A, n−1)), which stays within [0, 1] for any size. A negative or
// non-finite traffic is taken as 0 (B = 0 for N >= 1); N < 0 as 0.
double ErlangB(double traffic, int32_t lines);

// The fewest lines N with B(traffic, N) <= grade; 0 for a traffic of 0 or
// less. -1 when the question has no answer: `grade` not within (0, 1), or
// a traffic that is not finite.
int32_t LinesNeeded(double traffic, double grade);

// The most traffic that `lines` lines carry with B <= grade, to within
// 1e-9 Erlang (bisection). 0 for lines <= 0 or a grade not within (0, 1).
double LinesCapacity(int32_t lines, double grade);
