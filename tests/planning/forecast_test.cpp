// The forecast's models and their track record on small hand-made series
// whose answers are known.
#include "planning/forecast.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <vector>

#include "planning/nelder_mead.h"
#include "planning/season_models.h"

namespace {

// Monthly factors by calendar month, January first; their mean is 1.
constexpr std::array<double, 12> kFactors = {1.2, 1.15, 1.05, 0.95, 0.9, 0.85, 0.8, 0.85, 0.95, 1.0, 1.1, 1.2};
// Additive seasons by calendar month; their sum is 0.
constexpr std::array<double, 12> kSeasons = {3, 2, 1, 0, -1, -2, -3, -2, -1, 0, 1, 2};

std::vector<TrendPoint> Series(int32_t months, const std::function<double(int32_t)>& load) {
  std::vector<TrendPoint> points;
  for (int32_t k = 1; k <= months; ++k) points.push_back({static_cast<double>(k), load(k)});
  return points;
}

// Growth of 2% a month from 20 E, times the factors, from January.
double GrowingSeasonal(int32_t k) { return 20.0 * std::pow(1.02, k) * kFactors[static_cast<size_t>((k - 1) % 12)]; }

// 30 months from January of 10 E growing 20% a year, each month off by up
// to ±2% of a fixed draw, times the factors when `season`.
std::vector<TrendPoint> NoisyGrowth(bool season) {
  std::mt19937 draw(7);
  return Series(30, [&](int32_t k) {
    const double noise = 1.0 + 0.04 * (static_cast<double>(draw()) / 4294967295.0 - 0.5);
    return 10.0 * std::pow(1.2, k / 12.0) * noise * (season ? kFactors[static_cast<size_t>((k - 1) % 12)] : 1.0);
  });
}

TEST(TrendTest, OnTheLogarithmsALineIsGrowthByAShare) {
  const auto points = Series(12, [](int32_t k) { return 10.0 * std::pow(1.015, k); });
  const Trend trend = FitTrend(points, TrendScale::kLogLoads);
  ASSERT_TRUE(trend.fitted);
  EXPECT_NEAR(trend.slope, std::log(1.015), 1e-12);
  const TrendValue ahead = ProjectTrend(trend, 30);
  EXPECT_NEAR(ahead.load, 10.0 * std::pow(1.015, 30), 1e-9);
  EXPECT_GE(ahead.upper, ahead.load);
  auto withZero = points;
  withZero[3].load = 0.0;
  EXPECT_FALSE(FitTrend(withZero, TrendScale::kLogLoads).fitted);
  EXPECT_TRUE(FitTrend(withZero).fitted);
}

TEST(NelderMeadTest, FindsTheMinimumOfRosenbrocksValley) {
  const auto rosenbrock = [](std::span<const double> x) {
    return 100.0 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1.0 - x[0]) * (1.0 - x[0]);
  };
  const std::vector<double> start = {-1.2, 1.0};
  const SimplexMinimum found = MinimizeNelderMead(rosenbrock, start, 0.5, 1e-14, 5000);
  EXPECT_NEAR(found.x[0], 1.0, 1e-3);
  EXPECT_NEAR(found.x[1], 1.0, 1e-3);
  EXPECT_LT(found.value, 1e-6);
}

TEST(SeasonModelsTest, DecompositionFindsEachCalendarMonthsFactorWhereverTheSeriesStarts) {
  // 30 months from April of a flat 10 E.
  const auto points = Series(30, [](int32_t k) { return 10.0 * kFactors[static_cast<size_t>((k + 2) % 12)]; });
  const SeasonFactors seasons = DecomposeSeasons({points, 4});
  ASSERT_TRUE(seasons.fitted);
  for (size_t m = 0; m < 12; ++m) EXPECT_NEAR(seasons.factor[m], kFactors[m], 1e-12) << "month " << m + 1;
  EXPECT_FALSE(DecomposeSeasons({std::span(points).first(23), 4}).fitted);
}

TEST(SeasonModelsTest, TheSeasonalLineForecastsAGrowingSeasonalSeriesAcrossAMissingMonth) {
  auto points = Series(36, GrowingSeasonal);
  points.erase(points.begin() + 16);  // May of the second year is no complete month
  const SeasonalTrend model = FitSeasonalTrend({points, 1});
  ASSERT_TRUE(model.fitted);
  const double mean = std::accumulate(model.seasons.factor.begin(), model.seasons.factor.end(), 0.0) / 12.0;
  EXPECT_NEAR(mean, 1.0, 1e-12);
  EXPECT_NEAR(model.adjusted.slope, std::log(1.02), 0.0005);
  for (int32_t k = 37; k <= 48; ++k) {
    EXPECT_NEAR(ProjectSeasonalTrend(model, 1, k).load / GrowingSeasonal(k), 1.0, 0.015) << "month " << k;
  }
}

TEST(SeasonModelsTest, TheSeasonTestFindsASeasonAndLeavesNoiseToTheLine) {
  const auto seasonal = NoisyGrowth(true);
  const SeasonTest found = TestSeason({seasonal, 1});
  EXPECT_TRUE(found.tested);
  EXPECT_TRUE(found.shown) << found.f << " against " << found.critical;
  const auto plain = NoisyGrowth(false);
  const SeasonTest none = TestSeason({plain, 1});
  EXPECT_TRUE(none.tested);
  EXPECT_FALSE(none.shown) << none.f << " against " << none.critical;
  // Seasons the noise drew take no part.
  const Forecast forecast = MakeForecast({plain, 1});
  EXPECT_EQ(forecast.model, ForecastModel::kLine);
  EXPECT_FALSE(forecast.seasonal.fitted);
  EXPECT_FALSE(forecast.records[1].judged);
  EXPECT_FALSE(forecast.records[2].judged);
  auto withZero = seasonal;
  withZero[20].load = 0.0;
  EXPECT_FALSE(TestSeason({withZero, 1}).tested);
  EXPECT_FALSE(FitHoltWinters({withZero, 1}).fitted);
}

TEST(SeasonModelsTest, HoltWintersRepeatsAnExactSeasonOnAFlatLevel) {
  // 30 months from March.
  const auto points = Series(30, [](int32_t k) { return 10.0 + kSeasons[static_cast<size_t>((k + 1) % 12)]; });
  const HoltWinters model = FitHoltWinters({points, 3});
  ASSERT_TRUE(model.fitted);
  EXPECT_NEAR(model.squares, 0.0, 1e-9);
  for (int32_t k = 31; k <= 42; ++k) {
    EXPECT_NEAR(ProjectHoltWinters(model, k), 10.0 + kSeasons[static_cast<size_t>((k + 1) % 12)], 1e-6) << k;
  }
}

TEST(SeasonModelsTest, HoltWintersFitIsNoWorseThanAnyPointOfACoarseGrid) {
  // A trend, a season and a fixed irregular wobble.
  const auto points = Series(36, [](int32_t k) {
    return 20.0 + 0.3 * k + kSeasons[static_cast<size_t>((k - 1) % 12)] + 1.5 * std::sin(k * 2.3) * std::cos(k * 0.7);
  });
  const LoadSeries series{points, 1};
  const HoltWinters fitted = FitHoltWinters(series);
  ASSERT_TRUE(fitted.fitted);
  EXPECT_GE(fitted.constants.phi, kMinDamping);
  EXPECT_LE(fitted.constants.phi, kMaxDamping);
  double best = HUGE_VAL;
  for (double alpha = 0.05; alpha < 1.0; alpha += 0.15) {
    for (double beta = 0.05; beta < 1.0; beta += 0.15) {
      for (double gamma = 0.05; gamma < 1.0; gamma += 0.15) {
        for (double phi : {0.8, 0.9, 0.98}) best = std::min(best, RunHoltWinters(series, {alpha, beta, gamma, phi}).squares);
      }
    }
  }
  EXPECT_LE(fitted.squares, best * (1.0 + 1e-9));
}

TEST(ForecastTest, AStraightLinesRecordHoldsEachOfTheLastSixMonthsFromEveryOriginBeforeIt) {
  const auto points = Series(20, [](int32_t k) { return 5.0 + 2.0 * k; });
  const Forecast forecast = MakeForecast({points, 1});
  ASSERT_TRUE(forecast.fitted);
  EXPECT_EQ(forecast.model, ForecastModel::kLine);
  ASSERT_EQ(forecast.backtest.size(), 21u);
  std::array<int32_t, 7> byHorizon{};
  for (const BacktestForecast& row : forecast.backtest) {
    EXPECT_GE(row.originK, 14.0);
    EXPECT_GT(row.k, row.originK);
    EXPECT_GE(row.k, 15.0);
    EXPECT_EQ(row.horizon, row.k - row.originK);
    EXPECT_NEAR(row.forecast, row.actual, 1e-9);
    ++byHorizon[static_cast<size_t>(row.horizon)];
  }
  EXPECT_EQ(byHorizon, (std::array<int32_t, 7>{0, 6, 5, 4, 3, 2, 1}));
  EXPECT_TRUE(forecast.records[0].judged);
  EXPECT_NEAR(forecast.records[0].error, 0.0, 1e-12);
  EXPECT_FALSE(forecast.records[1].judged) << "seasons need 24 months";
  EXPECT_FALSE(forecast.records[2].judged);
}

TEST(ForecastTest, ASurpriseInTheLastMonthCountsOncePerOriginBeforeIt) {
  // A flat 10 E, then 20 E in the last month: only its six forecasts miss,
  // each by half of what happened.
  const auto points = Series(20, [](int32_t k) { return k == 20 ? 20.0 : 10.0; });
  const Forecast forecast = MakeForecast({points, 1});
  EXPECT_EQ(forecast.records[0].forecasts, 21);
  EXPECT_NEAR(forecast.records[0].error, 6 * 0.5 / 21, 1e-12);
}

TEST(ForecastTest, ARunawayTrendStopsAtTheMostLoadAForecastSays) {
  // The last month 10000 times the one before: on the logarithms the
  // smoothing's trend takes a good part of that jump for every month ahead.
  auto points = Series(36, GrowingSeasonal);
  points.back().load *= 1e4;
  Forecast forecast = MakeForecast({points, 1});
  forecast.holtWinters = FitHoltWinters({points, 1});
  ASSERT_TRUE(forecast.holtWinters.fitted);
  forecast.model = ForecastModel::kHoltWinters;
  for (int32_t k = 37; k <= 48; ++k) {
    const TrendValue value = ProjectForecast(forecast, k);
    EXPECT_LE(value.load, kMaxForecastErlangs) << k;
    EXPECT_LE(value.upper, kMaxForecastErlangs) << k;
  }
}

TEST(ForecastTest, TheModelWithTheBestRecordIsChosen) {
  const auto points = Series(36, GrowingSeasonal);
  const Forecast forecast = MakeForecast({points, 1});
  for (const ModelRecord& record : forecast.records) EXPECT_TRUE(record.judged);
  EXPECT_EQ(forecast.records[1].forecasts, 21);
  // On the logarithms Holt-Winters follows growth by a share times a season
  // all but exactly (its damping holds the trend back a little); the
  // decomposition's moving average of that growth is a little further off,
  // and the line far off.
  EXPECT_EQ(forecast.model, ForecastModel::kHoltWinters);
  EXPECT_LT(forecast.records[2].error, forecast.records[1].error);
  EXPECT_LT(forecast.records[1].error, 0.01);
  EXPECT_GT(forecast.records[0].error, 5 * forecast.records[1].error);
  const TrendValue ahead = ProjectForecast(forecast, 37);
  EXPECT_NEAR(ahead.load / GrowingSeasonal(37), 1.0, 0.005);
  EXPECT_GT(ahead.upper, ahead.load);
  EXPECT_EQ(MakeForecast({std::span(points).first(24), 1}).model, ForecastModel::kLine)
      << "no seasonal model has a record before its 25th month";
}

TEST(ForecastTest, TheLineTakesTheLastThirteenMonthsAndEnoughBeforeThemToBeFitted) {
  std::vector<TrendPoint> points;
  for (int k = 1; k <= 30; ++k) points.push_back({static_cast<double>(k), 1.0});
  EXPECT_EQ(LinePoints(points).front().k, 18.0);
  EXPECT_EQ(LinePoints(points).size(), 13u);
  // A year with two complete months: four more from before it.
  std::vector<TrendPoint> sparse(points.begin(), points.begin() + 10);
  sparse.push_back({20.0, 1.0});
  sparse.push_back({22.0, 1.0});
  EXPECT_EQ(LinePoints(sparse).front().k, 7.0);
}

}  // namespace
