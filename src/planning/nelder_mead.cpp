#include "planning/nelder_mead.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using Point = std::vector<double>;

// a + t·(b − a), the point on the line from a through b.
Point Along(const Point& a, const Point& b, double t) {
  Point p(a.size());
  for (size_t i = 0; i < a.size(); ++i) p[i] = a[i] + t * (b[i] - a[i]);
  return p;
}

}  // namespace

SimplexMinimum MinimizeNelderMead(const std::function<double(std::span<const double>)>& f,
                                  std::span<const double> start, double step, double tolerance,
                                  int32_t maxEvaluations) {
  SimplexMinimum result;
  auto value = [&f, &result](const Point& p) {
    ++result.evaluations;
    const double v = f(p);
    return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
  };
  const size_t n = start.size();
  std::vector<Point> corners(n + 1, Point(start.begin(), start.end()));
  for (size_t i = 0; i < n; ++i) corners[i + 1][i] += step;
  std::vector<double> values(n + 1);
  for (size_t i = 0; i <= n; ++i) values[i] = value(corners[i]);
  std::vector<size_t> order(n + 1);
  while (true) {
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&values](size_t a, size_t b) { return values[a] < values[b]; });
    const size_t best = order.front();
    const size_t worst = order.back();
    if (n == 0 || result.evaluations >= maxEvaluations || !(values[worst] - values[best] >= tolerance)) break;
    const size_t second = order[n - 1];
    // The centroid of every corner but the worst.
    Point centroid(n, 0.0);
    for (size_t i = 0; i <= n; ++i) {
      if (i == worst) continue;
      for (size_t d = 0; d < n; ++d) centroid[d] += corners[i][d] / static_cast<double>(n);
    }
    const Point reflected = Along(centroid, corners[worst], -1.0);
    const double reflectedValue = value(reflected);
    if (reflectedValue < values[best]) {
      const Point expanded = Along(centroid, corners[worst], -2.0);
      const double expandedValue = value(expanded);
      const bool farther = expandedValue < reflectedValue;
      corners[worst] = farther ? expanded : reflected;
      values[worst] = farther ? expandedValue : reflectedValue;
      continue;
    }
    if (reflectedValue < values[second]) {
      corners[worst] = reflected;
      values[worst] = reflectedValue;
      continue;
    }
    // Contract towards the better of the worst corner and its reflection.
    const bool outside = reflectedValue < values[worst];
    const Point contracted = Along(centroid, outside ? reflected : corners[worst], 0.5);
    const double contractedValue = value(contracted);
    if (contractedValue < std::min(reflectedValue, values[worst])) {
      corners[worst] = contracted;
      values[worst] = contractedValue;
      continue;
    }
    for (size_t i = 0; i <= n; ++i) {
      if (i == best) continue;
      corners[i] = Along(corners[best], corners[i], 0.5);
      values[i] = value(corners[i]);
    }
  }
  const size_t best = static_cast<size_t>(std::min_element(values.begin(), values.end()) - values.begin());
  result.x = corners[best];
  result.value = values[best];
  return result;
}
