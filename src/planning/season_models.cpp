#include "planning/season_models.h"

#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>

#include "planning/nelder_mead.h"

namespace {

// Whether month k (from the first point's) holds a point, for each month of
// ConsecutiveLoads.
std::vector<bool> MeasuredMonths(std::span<const TrendPoint> points) {
  if (points.empty()) return {};
  std::vector<bool> measured(static_cast<size_t>(std::lround(points.back().k - points.front().k)) + 1, false);
  for (const TrendPoint& p : points) measured[static_cast<size_t>(std::lround(p.k - points.front().k))] = true;
  return measured;
}

bool AllAboveZero(std::span<const TrendPoint> points) {
  return std::all_of(points.begin(), points.end(), [](const TrendPoint& p) { return p.load > 0.0; });
}

double Logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }
double Logit(double p) { return std::log(p / (1.0 - p)); }

// The constants from the search's unbounded coordinates.
HoltWintersConstants Bounded(std::span<const double> x) {
  return {Logistic(x[0]), Logistic(x[1]), Logistic(x[2]),
          kMinDamping + (kMaxDamping - kMinDamping) * Logistic(x[3])};
}

std::vector<double> Unbounded(const HoltWintersConstants& c) {
  return {Logit(c.alpha), Logit(c.beta), Logit(c.gamma),
          Logit((c.phi - kMinDamping) / (kMaxDamping - kMinDamping))};
}

}  // namespace

int32_t SeasonIndex(double k, int32_t firstMonth) {
  const int64_t index = (static_cast<int64_t>(firstMonth) - 1 + std::llround(k) - 1) % kSeasonMonths;
  return static_cast<int32_t>(index < 0 ? index + kSeasonMonths : index);
}

std::vector<double> ConsecutiveLoads(std::span<const TrendPoint> points) {
  std::vector<double> loads;
  if (points.empty()) return loads;
  loads.push_back(points.front().load);
  for (size_t i = 1; i < points.size(); ++i) {
    const TrendPoint& before = points[i - 1];
    const TrendPoint& after = points[i];
    const int64_t gap = std::llround(after.k - before.k);
    for (int64_t step = 1; step < gap; ++step) {
      loads.push_back(before.load + (after.load - before.load) * static_cast<double>(step) / static_cast<double>(gap));
    }
    loads.push_back(after.load);
  }
  return loads;
}

SeasonFactors DecomposeSeasons(const LoadSeries& series) {
  SeasonFactors seasons;
  if (static_cast<int32_t>(series.points.size()) < kMinSeasonalMonths) return seasons;
  const std::vector<double> loads = ConsecutiveLoads(series.points);
  const std::vector<bool> measured = MeasuredMonths(series.points);
  const double firstK = series.points.front().k;
  std::array<double, kSeasonMonths> sums{};
  std::array<int32_t, kSeasonMonths> counts{};
  const size_t half = kSeasonMonths / 2;
  for (size_t t = half; t + half < loads.size(); ++t) {
    if (!measured[t]) continue;
    // The 2×12 average: twelve months centred on t, the two ends at half weight.
    double average = (loads[t - half] + loads[t + half]) / 2.0;
    for (size_t j = t - half + 1; j < t + half; ++j) average += loads[j];
    average /= kSeasonMonths;
    if (!(average > 0.0)) return seasons;
    const size_t month = static_cast<size_t>(SeasonIndex(firstK + static_cast<double>(t), series.firstMonth));
    sums[month] += loads[t] / average;
    ++counts[month];
  }
  double total = 0.0;
  for (size_t m = 0; m < kSeasonMonths; ++m) {
    // Gaps may leave a calendar month without a ratio of its own.
    if (counts[m] == 0) return seasons;
    seasons.factor[m] = sums[m] / counts[m];
    total += seasons.factor[m];
  }
  if (!(total > 0.0)) return seasons;
  for (double& factor : seasons.factor) {
    factor *= kSeasonMonths / total;
    if (!(factor > 0.0)) return seasons;
  }
  seasons.fitted = true;
  return seasons;
}

SeasonalTrend FitSeasonalTrend(const LoadSeries& series) {
  SeasonalTrend model;
  model.seasons = DecomposeSeasons(series);
  if (!model.seasons.fitted) return model;
  std::vector<TrendPoint> adjusted;
  adjusted.reserve(series.points.size());
  for (const TrendPoint& p : series.points) {
    adjusted.push_back({p.k, p.load / model.seasons.factor[static_cast<size_t>(SeasonIndex(p.k, series.firstMonth))]});
  }
  model.adjusted = FitTrend(adjusted, TrendScale::kLogLoads);
  model.fitted = model.adjusted.fitted;
  return model;
}

TrendValue ProjectSeasonalTrend(const SeasonalTrend& model, int32_t firstMonth, double k) {
  TrendValue value;
  if (!model.fitted) return value;
  const double factor = model.seasons.factor[static_cast<size_t>(SeasonIndex(k, firstMonth))];
  const TrendValue line = ProjectTrend(model.adjusted, k);
  value.load = line.load * factor;
  value.upper = line.upper * factor;
  return value;
}

SeasonTest TestSeason(const LoadSeries& series) {
  SeasonTest test;
  const size_t n = series.points.size();
  if (static_cast<int32_t>(n) < kMinSeasonalMonths || !AllAboveZero(series.points)) return test;
  // The line: ln y on k.
  const Trend line = FitTrend(series.points, TrendScale::kLogLoads);
  if (!line.fitted) return test;
  double lineSquares = 0.0;
  for (const TrendPoint& p : series.points) {
    const double residual = std::log(p.load) - (line.intercept + line.slope * p.k);
    lineSquares += residual * residual;
  }
  // The month effects: the common slope from k and ln y less their means
  // within each calendar month (the levels a_m then fit those means).
  std::array<double, kSeasonMonths> sumK{};
  std::array<double, kSeasonMonths> sumY{};
  std::array<int32_t, kSeasonMonths> counts{};
  for (const TrendPoint& p : series.points) {
    const size_t m = static_cast<size_t>(SeasonIndex(p.k, series.firstMonth));
    sumK[m] += p.k;
    sumY[m] += std::log(p.load);
    ++counts[m];
  }
  int32_t months = 0;
  for (int32_t count : counts) months += count > 0;
  double sxx = 0.0;
  double sxy = 0.0;
  for (const TrendPoint& p : series.points) {
    const size_t m = static_cast<size_t>(SeasonIndex(p.k, series.firstMonth));
    const double dk = p.k - sumK[m] / counts[m];
    sxx += dk * dk;
    sxy += dk * (std::log(p.load) - sumY[m] / counts[m]);
  }
  const int32_t freedom = static_cast<int32_t>(n) - months - 1;
  if (months < 2 || freedom < 1 || !(sxx > 0.0)) return test;
  const double slope = sxy / sxx;
  double monthSquares = 0.0;
  for (const TrendPoint& p : series.points) {
    const size_t m = static_cast<size_t>(SeasonIndex(p.k, series.firstMonth));
    const double residual = std::log(p.load) - sumY[m] / counts[m] - slope * (p.k - sumK[m] / counts[m]);
    monthSquares += residual * residual;
  }
  test.tested = true;
  // A line that fits the logarithms to rounding leaves no season to find.
  if (lineSquares <= static_cast<double>(n) * 1e-24) return test;
  test.critical = boost::math::quantile(boost::math::fisher_f(months - 1, freedom), 1.0 - kSeasonTestLevel);
  const double explained = std::max(0.0, lineSquares - monthSquares) / (months - 1);
  if (monthSquares > 0.0) {
    test.f = explained / (monthSquares / freedom);
  } else {
    test.f = explained > 0.0 ? HUGE_VAL : 0.0;
  }
  test.shown = test.f > test.critical;
  return test;
}

HoltWinters RunHoltWinters(const LoadSeries& series, const HoltWintersConstants& constants) {
  HoltWinters model;
  if (static_cast<int32_t>(series.points.size()) < kMinSeasonalMonths || !AllAboveZero(series.points)) return model;
  // The months between two points are interpolated in Erlangs, then all
  // taken to the logarithms.
  std::vector<double> loads = ConsecutiveLoads(series.points);
  for (double& load : loads) load = std::log(load);
  const std::vector<bool> measured = MeasuredMonths(series.points);
  const double firstK = series.points.front().k;
  double firstYear = 0.0;
  double secondYear = 0.0;
  for (size_t t = 0; t < kSeasonMonths; ++t) {
    firstYear += loads[t] / kSeasonMonths;
    secondYear += loads[t + kSeasonMonths] / kSeasonMonths;
  }
  // The first year's mean is the level half way through it, month 6.5.
  double slope = (secondYear - firstYear) / kSeasonMonths;
  double level = firstYear - 6.5 * slope;
  std::array<double, kSeasonMonths> season{};
  for (size_t t = 0; t < kSeasonMonths; ++t) {
    season[static_cast<size_t>(SeasonIndex(firstK + static_cast<double>(t), series.firstMonth))] =
        loads[t] - (firstYear + (static_cast<double>(t) + 1.0 - 6.5) * slope);
  }
  const auto [alpha, beta, gamma, phi] = constants;
  double squares = 0.0;
  for (size_t t = 0; t < loads.size(); ++t) {
    double& s = season[static_cast<size_t>(SeasonIndex(firstK + static_cast<double>(t), series.firstMonth))];
    const double y = loads[t];
    const double expected = level + phi * slope;
    if (measured[t]) squares += (y - expected - s) * (y - expected - s);
    const double newLevel = alpha * (y - s) + (1.0 - alpha) * expected;
    slope = beta * (newLevel - level) + (1.0 - beta) * phi * slope;
    s = gamma * (y - expected) + (1.0 - gamma) * s;
    level = newLevel;
  }
  model.fitted = std::isfinite(squares);
  model.constants = constants;
  model.squares = squares;
  model.lastK = series.points.back().k;
  model.firstMonth = series.firstMonth;
  model.level = level;
  model.slope = slope;
  model.season = season;
  return model;
}

HoltWinters FitHoltWinters(const LoadSeries& series) {
  if (static_cast<int32_t>(series.points.size()) < kMinSeasonalMonths || !AllAboveZero(series.points)) return {};
  const auto squares = [&series](std::span<const double> x) {
    const HoltWinters run = RunHoltWinters(series, Bounded(x));
    return run.fitted ? run.squares : HUGE_VAL;
  };
  // Three starts, a slow, a middling and a quick one: the sum of squares
  // may have more than one valley.
  const HoltWintersConstants starts[] = {{0.2, 0.1, 0.1, 0.9}, {0.5, 0.2, 0.3, 0.95}, {0.8, 0.05, 0.6, 0.85}};
  SimplexMinimum best;
  best.value = HUGE_VAL;
  for (const HoltWintersConstants& start : starts) {
    const std::vector<double> x = Unbounded(start);
    SimplexMinimum found = MinimizeNelderMead(squares, x, 1.0, 1e-10, 1500);
    if (best.x.empty() || found.value < best.value) best = std::move(found);
  }
  return RunHoltWinters(series, Bounded(best.x));
}

double ProjectHoltWinters(const HoltWinters& model, double k) {
  if (!model.fitted) return 0.0;
  const int64_t ahead = std::llround(k - model.lastK);
  double damped = 0.0;
  double power = 1.0;
  for (int64_t h = 1; h <= ahead; ++h) {
    power *= model.constants.phi;
    damped += power;
  }
  const double season = model.season[static_cast<size_t>(SeasonIndex(k, model.firstMonth))];
  return std::exp(model.level + damped * model.slope + season);
}
