#include "planning/trend.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

Trend FitTrend(std::span<const TrendPoint> points) {
  Trend trend;
  trend.points = static_cast<int32_t>(points.size());
  if (trend.points < kMinTrendMonths) return trend;
  double meanK = 0.0;
  double meanLoad = 0.0;
  for (const TrendPoint& p : points) {
    meanK += p.k;
    meanLoad += p.load;
  }
  meanK /= trend.points;
  meanLoad /= trend.points;
  double sxx = 0.0;
  double sxy = 0.0;
  for (const TrendPoint& p : points) {
    sxx += (p.k - meanK) * (p.k - meanK);
    sxy += (p.k - meanK) * (p.load - meanLoad);
  }
  if (!(sxx > 0.0)) return trend;
  trend.slope = sxy / sxx;
  trend.intercept = meanLoad - trend.slope * meanK;
  double squares = 0.0;
  for (const TrendPoint& p : points) {
    double residual = p.load - (trend.intercept + trend.slope * p.k);
    squares += residual * residual;
  }
  const int32_t freedom = trend.points - 2;
  trend.meanK = meanK;
  trend.sxx = sxx;
  trend.residualSe = std::sqrt(squares / freedom);
  trend.tQuantile = boost::math::quantile(boost::math::students_t(freedom), 0.975);
  trend.fitted = true;
  return trend;
}

TrendValue ProjectTrend(const Trend& trend, double k) {
  TrendValue value;
  if (!trend.fitted) return value;
  const double line = trend.intercept + trend.slope * k;
  const double spread = trend.tQuantile * trend.residualSe *
                        std::sqrt(1.0 + 1.0 / trend.points + (k - trend.meanK) * (k - trend.meanK) / trend.sxx);
  value.load = std::max(0.0, line);
  value.upper = std::max(0.0, line + spread);
  return value;
}
