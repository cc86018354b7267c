#include "planning/forecast.h"

#include <algorithm>
#include <cmath>

namespace {

size_t Index(ForecastModel model) { return static_cast<size_t>(model); }

constexpr ForecastModel kModels[] = {ForecastModel::kLine, ForecastModel::kSeasonal, ForecastModel::kHoltWinters};

// One model fitted to a series, as its forecasts need it.
struct Fitted {
  bool fitted = false;
  Trend line;
  SeasonalTrend seasonal;
  HoltWinters holtWinters;
};

Fitted Fit(ForecastModel model, const LoadSeries& series) {
  Fitted fitted;
  switch (model) {
    case ForecastModel::kLine:
      fitted.line = FitLine(series.points);
      fitted.fitted = fitted.line.fitted;
      break;
    case ForecastModel::kSeasonal:
      fitted.seasonal = FitSeasonalTrend(series);
      fitted.fitted = fitted.seasonal.fitted;
      break;
    case ForecastModel::kHoltWinters:
      fitted.holtWinters = FitHoltWinters(series);
      fitted.fitted = fitted.holtWinters.fitted;
      break;
  }
  return fitted;
}

double Capped(double load) { return std::min(load, kMaxForecastErlangs); }

double Central(ForecastModel model, const Fitted& fitted, int32_t firstMonth, double k) {
  switch (model) {
    case ForecastModel::kLine: return Capped(ProjectTrend(fitted.line, k).load);
    case ForecastModel::kSeasonal: return Capped(ProjectSeasonalTrend(fitted.seasonal, firstMonth, k).load);
    case ForecastModel::kHoltWinters: return Capped(ProjectHoltWinters(fitted.holtWinters, k));
  }
  return 0.0;
}

void RunBacktest(const LoadSeries& series, Forecast* forecast) {
  const size_t n = series.points.size();
  if (n <= static_cast<size_t>(kBacktestMonths)) return;
  for (ForecastModel model : kModels) {
    if (model != ForecastModel::kLine && !forecast->season.shown) continue;
    for (size_t origin = n - kBacktestMonths; origin < n; ++origin) {
      const LoadSeries before{series.points.first(origin), series.firstMonth};
      const Fitted fitted = Fit(model, before);
      if (!fitted.fitted) continue;
      const double originK = series.points[origin - 1].k;
      for (size_t i = origin; i < n; ++i) {
        const TrendPoint& target = series.points[i];
        forecast->backtest.push_back({model, originK, static_cast<int32_t>(std::lround(target.k - originK)), target.k,
                                      Central(model, fitted, series.firstMonth, target.k), target.load});
      }
    }
  }
  // Like with like: the forecasts from the origins every model that made
  // any could be fitted at.
  double commonOrigin = -HUGE_VAL;
  for (ForecastModel model : kModels) {
    double first = HUGE_VAL;
    for (const BacktestForecast& row : forecast->backtest) {
      if (row.model == model) first = std::min(first, row.originK);
    }
    if (first != HUGE_VAL) commonOrigin = std::max(commonOrigin, first);
  }
  std::array<double, kForecastModels> sums{};
  for (const BacktestForecast& row : forecast->backtest) {
    ModelRecord& record = forecast->records[Index(row.model)];
    if (row.originK < commonOrigin || !(row.actual > 0.0)) continue;
    sums[Index(row.model)] += std::abs(row.actual - row.forecast) / row.actual;
    ++record.forecasts;
  }
  for (ForecastModel model : kModels) {
    ModelRecord& record = forecast->records[Index(model)];
    record.judged = record.forecasts > 0;
    if (record.judged) record.error = sums[Index(model)] / record.forecasts;
  }
}

// The q-quantile of `values` (reordered) by linear interpolation between
// order statistics; 0 for none.
double Quantile(std::vector<double>& values, double q) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const double at = q * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(std::floor(at));
  const size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

}  // namespace

std::span<const TrendPoint> LinePoints(std::span<const TrendPoint> points) {
  size_t first = points.size();
  while (first > 0 && (points.back().k - points[first - 1].k < kLineMonths ||
                       points.size() - first < static_cast<size_t>(kMinTrendMonths))) {
    --first;
  }
  return points.subspan(first);
}

Trend FitLine(std::span<const TrendPoint> points) { return FitTrend(LinePoints(points)); }

Forecast MakeForecast(const LoadSeries& series) {
  Forecast forecast;
  forecast.points = static_cast<int32_t>(series.points.size());
  forecast.firstMonth = series.firstMonth;
  forecast.line = FitLine(series.points);
  forecast.fitted = forecast.line.fitted;
  if (!forecast.fitted) return forecast;
  forecast.lastK = series.points.back().k;
  forecast.season = TestSeason(series);
  if (forecast.season.shown) {
    forecast.seasonal = FitSeasonalTrend(series);
    forecast.holtWinters = FitHoltWinters(series);
  }
  RunBacktest(series, &forecast);
  const bool fitted[] = {true, forecast.seasonal.fitted, forecast.holtWinters.fitted};
  double best = HUGE_VAL;
  for (ForecastModel model : kModels) {
    const ModelRecord& record = forecast.records[Index(model)];
    if (!fitted[Index(model)] || record.forecasts < kMinBacktestForecasts || !(record.error < best)) continue;
    best = record.error;
    forecast.model = model;
  }
  return forecast;
}

TrendValue ProjectForecast(const Forecast& forecast, double k) {
  if (!forecast.fitted) return {};
  if (forecast.model == ForecastModel::kLine) {
    const TrendValue line = ProjectTrend(forecast.line, k);
    return {Capped(line.load), Capped(line.upper)};
  }
  TrendValue value;
  Fitted fitted;
  fitted.seasonal = forecast.seasonal;
  fitted.holtWinters = forecast.holtWinters;
  value.load = Central(forecast.model, fitted, forecast.firstMonth, k);
  const int32_t ahead = std::max<int32_t>(1, static_cast<int32_t>(std::lround(k - forecast.lastK)));
  const int32_t within = std::min(ahead, kBacktestMonths);
  std::vector<double> errors;
  for (const BacktestForecast& row : forecast.backtest) {
    if (row.model != forecast.model || row.horizon > within || !(row.forecast > 0.0)) continue;
    errors.push_back(std::abs(row.actual - row.forecast) / row.forecast);
  }
  double spread = Quantile(errors, 0.95) * value.load;
  if (ahead > kBacktestMonths) spread *= std::sqrt(static_cast<double>(ahead) / kBacktestMonths);
  // Gaps may leave the decomposition without a factor for some month while
  // the smoothing runs: the plain line's interval stands in, wider.
  const TrendValue floor = forecast.seasonal.fitted ? ProjectSeasonalTrend(forecast.seasonal, forecast.firstMonth, k)
                                                    : ProjectTrend(forecast.line, k);
  value.upper = Capped(value.load + std::max(spread, floor.upper - floor.load));
  return value;
}

double LowerEnd(const TrendValue& value) { return std::max(0.0, 2.0 * value.load - value.upper); }
