#include "planning/load_changes.h"

#include <cmath>

namespace {

// The least-squares line y = a + b·k through the points whose `use` is
// set, and the root mean square of their residuals (n − 2 degrees of
// freedom). False with fewer than three points.
struct Line {
  double a = 0.0, b = 0.0, sigma = 0.0;
};
bool FitLogLine(std::span<const double> k, std::span<const double> y, std::span<const char> use, Line* line) {
  double n = 0.0, mk = 0.0, my = 0.0;
  for (size_t i = 0; i < k.size(); ++i) {
    if (!use[i]) continue;
    n += 1.0;
    mk += k[i];
    my += y[i];
  }
  if (n < 3.0) return false;
  mk /= n;
  my /= n;
  double sxx = 0.0, sxy = 0.0;
  for (size_t i = 0; i < k.size(); ++i) {
    if (!use[i]) continue;
    sxx += (k[i] - mk) * (k[i] - mk);
    sxy += (k[i] - mk) * (y[i] - my);
  }
  if (!(sxx > 0.0)) return false;
  line->b = sxy / sxx;
  line->a = my - line->b * mk;
  double squares = 0.0;
  for (size_t i = 0; i < k.size(); ++i) {
    if (!use[i]) continue;
    const double r = y[i] - (line->a + line->b * k[i]);
    squares += r * r;
  }
  line->sigma = std::sqrt(squares / (n - 2.0));
  return true;
}

// The step that fits best: y = a + b·k + c·[i ≥ s], over every s with
// enough months on both sides; c, and its size against the noise.
void FindStep(std::span<const double> k, std::span<const double> y, LoadChanges* changes) {
  const size_t n = k.size();
  double bestScore = 0.0;
  for (size_t s = kMonthsBeforeStep; s + kMonthsAfterStep <= n; ++s) {
    // c from the parts of y and of the step that the line does not explain.
    std::vector<double> step(n);
    for (size_t i = 0; i < n; ++i) step[i] = i >= s ? 1.0 : 0.0;
    double mk = 0.0, my = 0.0, ms = 0.0;
    for (size_t i = 0; i < n; ++i) {
      mk += k[i];
      my += y[i];
      ms += step[i];
    }
    mk /= static_cast<double>(n);
    my /= static_cast<double>(n);
    ms /= static_cast<double>(n);
    double sxx = 0.0, sxy = 0.0, sxs = 0.0;
    for (size_t i = 0; i < n; ++i) {
      sxx += (k[i] - mk) * (k[i] - mk);
      sxy += (k[i] - mk) * (y[i] - my);
      sxs += (k[i] - mk) * (step[i] - ms);
    }
    if (!(sxx > 0.0)) return;
    double ss = 0.0, sy = 0.0;
    std::vector<double> ry(n), rs(n);
    for (size_t i = 0; i < n; ++i) {
      ry[i] = (y[i] - my) - sxy / sxx * (k[i] - mk);
      rs[i] = (step[i] - ms) - sxs / sxx * (k[i] - mk);
      ss += rs[i] * rs[i];
      sy += ry[i] * rs[i];
    }
    if (!(ss > 0.0)) continue;
    const double c = sy / ss;
    double squares = 0.0;
    for (size_t i = 0; i < n; ++i) squares += (ry[i] - c * rs[i]) * (ry[i] - c * rs[i]);
    const double sigma = n > 3 ? std::sqrt(squares / static_cast<double>(n - 3)) : 0.0;
    if (std::abs(c) < kMinLoadChange) continue;
    const double score = sigma > 0.0 ? std::abs(c) / sigma : HUGE_VAL;
    if (score < kChangeSigmas || score <= bestScore) continue;
    bestScore = score;
    changes->stepAt = static_cast<int32_t>(s);
    changes->stepRatio = std::exp(c);
  }
}

}  // namespace

LoadChanges FindLoadChanges(std::span<const TrendPoint> points) {
  LoadChanges changes;
  const size_t n = points.size();
  if (n < static_cast<size_t>(kMinTrendMonths)) return changes;
  std::vector<double> k(n), y(n);
  for (size_t i = 0; i < n; ++i) {
    if (!(points[i].load > 0.0)) return changes;
    k[i] = points[i].k;
    y[i] = std::log(points[i].load);
  }
  FindStep(k, y, &changes);
  if (changes.stepAt >= 0) {
    for (size_t i = 0; i < static_cast<size_t>(changes.stepAt); ++i) y[i] += std::log(changes.stepRatio);
  }
  // Each month against the line of the others: a month that stands apart
  // must not bend the line it is judged by.
  std::vector<char> others(n, 1);
  for (size_t i = 0; i < n; ++i) {
    others[i] = 0;
    Line line;
    const bool fitted = FitLogLine(k, y, others, &line);
    others[i] = 1;
    if (!fitted) continue;
    const double residual = y[i] - (line.a + line.b * k[i]);
    if (std::abs(residual) >= kMinLoadChange && std::abs(residual) >= kChangeSigmas * line.sigma) {
      changes.oneOffs.push_back(static_cast<int32_t>(i));
      changes.oneOffRatios.push_back(std::exp(residual));
    }
  }
  return changes;
}

std::vector<TrendPoint> WithoutChanges(std::span<const TrendPoint> points, const LoadChanges& changes) {
  std::vector<TrendPoint> adjusted(points.begin(), points.end());
  for (size_t i = 0; i < adjusted.size() && static_cast<int32_t>(i) < changes.stepAt; ++i) {
    adjusted[i].load *= changes.stepRatio;
  }
  for (size_t j = 0; j < changes.oneOffs.size(); ++j) {
    TrendPoint& point = adjusted[static_cast<size_t>(changes.oneOffs[j])];
    point.load /= changes.oneOffRatios[j];
  }
  return adjusted;
}
