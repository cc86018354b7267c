// The forecast of a monthly load series by the model with the best track
// record. Three models (planning/trend.h, planning/season_models.h): the
// straight line through the loads of the last kLineMonths months
// (LinePoints: a line through years of compound growth lags its end); the
// line with 12 season factors (its line on the logarithms); additive
// Holt-Winters with a damped trend (on the logarithms). The two seasonal ones need kMinSeasonalMonths points,
// and take part only when the series shows a season (TestSeason): factors
// fitted to noise would carry that noise into every month ahead.
//
// Track record (rolling origin): each model is fitted to the first o points
// for every origin o from n − kBacktestMonths to n − 1 (n points) and
// forecasts each later point from there, 1 to kBacktestMonths months ahead:
// every one of the last kBacktestMonths points is forecast from every
// origin before it among them, 21 forecasts in all. A model takes part from
// the origins it can be fitted at; the models are compared on the forecasts
// they all made (from the origins with kMinSeasonalMonths points once a
// seasonal model takes part). The mean absolute percentage error is the
// mean of |actual − forecast| / actual over those forecasts (a month whose
// load is 0 has no percentage and is left out). The lowest wins; of equals,
// the earlier model of ForecastModel. A model is chosen only on at least
// kMinBacktestForecasts forecasts; with none such, the line.
//
// The 95% interval, given by its upper end (the interval is symmetric):
// - the line: its t-based prediction interval (planning/trend.h);
// - a seasonal model: the 95% empirical quantile of the relative absolute
//   errors of its track record at horizons up to h (h the months after the
//   last point; beyond kBacktestMonths, those of every horizon widened by
//   √(h / kBacktestMonths)), times its forecast; and at least the
//   prediction interval of the line through the seasonally adjusted loads
//   (on their logarithms), times the month's factor, so that a lucky
//   record of a few forecasts cannot make it narrower than the noise of
//   the series.
// Pure arithmetic: plain values in and out.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "planning/season_models.h"
#include "planning/trend.h"

enum class ForecastModel { kLine, kSeasonal, kHoltWinters };
inline constexpr int32_t kForecastModels = 3;
inline constexpr int32_t kBacktestMonths = 6;
// A model is chosen on a track record of at least this many forecasts; a
// record of fewer says too little, and the line is used.
inline constexpr int32_t kMinBacktestForecasts = 6;
// A chosen model whose track record misses by more than this share on the
// mean makes an uncertain forecast.
inline constexpr double kUncertainError = 0.10;
// The months the line is fitted to, counted back from the last point: a
// year and the month before it, as many as the console's 395 days hold.
inline constexpr int32_t kLineMonths = 13;
// The most load a forecast says. Growth by a share compounds, and a few odd
// months (a jump at the end of the series) can set a trend that runs away
// to loads no telephone system carries, whose lines Erlang B's recurrence
// would take billions of steps to count.
inline constexpr double kMaxForecastErlangs = 1e6;

// One forecast of the track record.
struct BacktestForecast {
  ForecastModel model = ForecastModel::kLine;
  double originK = 0.0;  // k of the last point the model was fitted to
  int32_t horizon = 0;   // months from there to the month forecast
  double k = 0.0;        // the month forecast
  double forecast = 0.0;
  double actual = 0.0;
};

struct ModelRecord {
  bool judged = false;    // took part in the choice
  int32_t forecasts = 0;  // the forecasts its error is the mean over
  double error = 0.0;     // mean absolute percentage error, as a fraction
};

struct Forecast {
  bool fitted = false;  // the line is fitted: without it nothing is forecast
  ForecastModel model = ForecastModel::kLine;  // the one chosen
  int32_t points = 0;
  int32_t firstMonth = 1;
  double lastK = 0.0;
  std::array<ModelRecord, kForecastModels> records{};  // by ForecastModel
  std::vector<BacktestForecast> backtest;  // every forecast made, by model, origin, month
  SeasonTest season;  // not shown: the seasonal models are neither fitted nor judged
  Trend line;
  SeasonalTrend seasonal;
  HoltWinters holtWinters;
};

// The points of the last kLineMonths months of `points` (the points whose
// k lies within kLineMonths − 1 of the last one), and more before them when
// that leaves fewer than kMinTrendMonths.
std::span<const TrendPoint> LinePoints(std::span<const TrendPoint> points);

// The line model: FitTrend through LinePoints(points).
Trend FitLine(std::span<const TrendPoint> points);

// Fits the models to `series`, judges them by their track record and keeps
// the one chosen.
Forecast MakeForecast(const LoadSeries& series);

// The chosen model's load for month k (after the last point) and the upper
// end of its 95% interval, both within [0, kMaxForecastErlangs] (as is
// every forecast of the track record). Zeros when not fitted.
TrendValue ProjectForecast(const Forecast& forecast, double k);

// The lower end that goes with ProjectForecast's value: 2·load − upper,
// never below 0.
double LowerEnd(const TrendValue& value);
