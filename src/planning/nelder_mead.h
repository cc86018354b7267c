// A minimum of a function of a few real variables by the Nelder-Mead
// simplex (Nelder and Mead 1965; the reflection, expansion, contraction and
// shrink coefficients 1, 2, 1/2 and 1/2). It needs no derivatives, which the
// squared errors of an exponential smoothing recursion do not offer in
// closed form. Boost 1.74, the oldest Boost we build with, has only Brent's
// method of one variable, hence this.
// Pure and deterministic: the same function and start give the same answer.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct SimplexMinimum {
  std::vector<double> x;  // the best point found
  double value = 0.0;     // the function there
  int32_t evaluations = 0;
};

// Minimises `f` from `start`, the first simplex spanned by `start` and one
// step of `step` along each axis. Stops when the values at the simplex's
// corners differ by less than `tolerance` or after `maxEvaluations` calls of
// `f`. A NaN value counts as +infinity. An empty start gives f({}).
SimplexMinimum MinimizeNelderMead(const std::function<double(std::span<const double>)>& f,
                                  std::span<const double> start, double step, double tolerance,
                                  int32_t maxEvaluations);
