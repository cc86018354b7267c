#include "planning/trend.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <vector>

Trend FitTrend(std::span<const TrendPoint> points, TrendScale scale) {
  Trend trend;
  trend.scale = scale;
  trend.points = static_cast<int32_t>(points.size());
  if (trend.points < kMinTrendMonths) return trend;
  std::vector<double> ys;
  ys.reserve(points.size());
  for (const TrendPoint& p : points) {
    if (scale == TrendScale::kLogLoads && !(p.load > 0.0)) return trend;
    ys.push_back(scale == TrendScale::kLogLoads ? std::log(p.load) : p.load);
  }
  double meanK = 0.0;
  double meanY = 0.0;
  for (size_t i = 0; i < points.size(); ++i) {
    meanK += points[i].k;
    meanY += ys[i];
  }
  meanK /= trend.points;
  meanY /= trend.points;
  double sxx = 0.0;
  double sxy = 0.0;
  for (size_t i = 0; i < points.size(); ++i) {
    sxx += (points[i].k - meanK) * (points[i].k - meanK);
    sxy += (points[i].k - meanK) * (ys[i] - meanY);
  }
  if (!(sxx > 0.0)) return trend;
  trend.slope = sxy / sxx;
  trend.intercept = meanY - trend.slope * meanK;
  double squares = 0.0;
  for (size_t i = 0; i < points.size(); ++i) {
    const double residual = ys[i] - (trend.intercept + trend.slope * points[i].k);
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
  if (trend.scale == TrendScale::kLogLoads) {
    value.load = std::exp(line);
    value.upper = std::exp(line + spread);
    return value;
  }
  value.load = std::max(0.0, line);
  value.upper = std::max(0.0, line + spread);
  return value;
}
