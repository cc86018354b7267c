#include "report/plan_chart.h"

#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <strings.h>

#include "report/atomic_file.h"

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
  const size_t length = std::char_traits<char>::length(suffix);
  return text.size() > length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// A gnuplot string literal: single quotes, in which only a quote is special.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

// The months of months.csv sit in the middle of their month; the column
// names follow report/plan_csv.h.
std::string Script(const ChartRequest& request, const std::string& output) {
  const bool svg = EndsWith(request.output, ".svg");
  std::string script = svg ? "set terminal svg size 1200,700 dynamic noenhanced background rgb 'white'\n"
                           : "set terminal pngcairo size 1200,700 noenhanced\n";
  script += "set output " + Quoted(output) + "\n";
  script += "set title " + Quoted(request.title) + "\n";
  script +=
      "set datafile separator ','\n"
      "set datafile columnheaders\n"
      "set xdata time\n"
      "set timefmt '%Y-%m-%d'\n"
      "set ylabel 'Busy-hour traffic (Erlangs)'\n"
      "set yrange [0:*]\n"
      "set grid\n"
      "set key below horizontal width 2\n"
      "set format x '%b %Y'\n"
      "mid(c) = timecolumn(c, '%Y-%m') + 14 * 86400\n"
      "projected = 'projected'\n";
  script += "plot " + Quoted(request.daysCsv) +
            " using 1:'busy_hour_erlangs' with lines lc rgb '#9fb4c8' title 'daily busy hour', \\\n";
  script += "  " + Quoted(request.monthsCsv) +
            " using (mid(1)):(strcol('kind') eq projected ? NaN : column('load_erlangs')) with linespoints pt 7 "
            "lw 2 lc rgb '#1f5fa0' title 'monthly load (5 busiest days)', \\\n";
  script += "  '' using (mid(1)):(strcol('kind') eq projected ? column('load_erlangs') : NaN) with linespoints "
            "pt 6 lw 2 dt 2 lc rgb '#e07b00' title 'projected load', \\\n";
  script += "  '' using (mid(1)):(strcol('kind') eq projected ? column('load_upper_erlangs') : NaN) with lines "
            "lw 2 dt 3 lc rgb '#b03000' title 'upper end of the 95% prediction interval'";
  if (request.lines > 0) {
    char capacity[160] = {};
    std::snprintf(capacity, sizeof capacity,
                  ", \\\n  %.3f with lines lw 2 lc rgb '#c00000' title 'capacity of %d lines at %g%% blocking'",
                  request.capacity, request.lines, request.gradePercent);
    script += capacity;
  }
  return script + "\n";
}

// Feeds `script` to gnuplot; its exit status, or -1 when it did not run.
int RunGnuplot(const std::string& script) {
  // Should gnuplot be missing, the shell closes the pipe early; that must
  // fail the chart, not end the program.
  void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
  std::FILE* pipe = popen("gnuplot", "w");
  int status = -1;
  if (pipe != nullptr) {
    std::fwrite(script.data(), 1, script.size(), pipe);
    const int waited = pclose(pipe);
    if (waited != -1 && WIFEXITED(waited)) status = WEXITSTATUS(waited);
  }
  std::signal(SIGPIPE, previous);
  return status;
}

}  // namespace

bool IsChartPath(const std::string& path) { return EndsWith(path, ".png") || EndsWith(path, ".svg"); }

bool DrawPlanChart(const ChartRequest& request, std::string* error) {
  if (!IsChartPath(request.output)) {
    *error = "a chart is written as .png or .svg: " + request.output;
    return false;
  }
  const std::string temporary = MakeTemporaryBeside(request.output, error);
  if (temporary.empty()) return false;
  const int status = RunGnuplot(Script(request, temporary));
  if (status != 0) {
    *error = status == 127 || status < 0 ? "cannot run gnuplot (install gnuplot-nox)" : "gnuplot failed";
    std::remove(temporary.c_str());
    return false;
  }
  return RenameIntoPlace(temporary, request.output, error);
}
