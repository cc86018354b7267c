#include "report/plan_chart.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <strings.h>

#include "report/atomic_file.h"
#include "report/gnuplot_literal.h"

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
  const size_t length = std::char_traits<char>::length(suffix);
  return text.size() > length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// A file name as gnuplot must get it: absolute, so that no leading '|',
// '<' or '~' of the name given can make gnuplot start a shell or expand it.
bool FileLiteral(const std::string& path, std::string* literal, std::string* error) {
  std::error_code failure;
  const std::string absolute = std::filesystem::absolute(path, failure).string();
  if (failure) {
    *error = "cannot make an absolute path of " + path + ": " + failure.message();
    return false;
  }
  if (GnuplotLiteral(absolute, literal)) return true;
  *error = "a file name for gnuplot holds a control character";
  return false;
}

// The title is only shown: a control character in it shows as a space.
std::string TitleLiteral(std::string title) {
  std::replace_if(title.begin(), title.end(), IsControlCharacter, ' ');
  std::string literal;
  GnuplotLiteral(title, &literal);
  return literal;
}

// The months of months.csv sit in the middle of their month; the column
// names follow report/plan_csv.h.
bool Script(const ChartRequest& request, const std::string& output, std::string* text, std::string* error) {
  std::string outputFile, daysFile, monthsFile;
  if (!FileLiteral(output, &outputFile, error) || !FileLiteral(request.daysCsv, &daysFile, error) ||
      !FileLiteral(request.monthsCsv, &monthsFile, error)) {
    return false;
  }
  const bool svg = EndsWith(request.output, ".svg");
  std::string script = svg ? "set terminal svg size 1200,700 dynamic noenhanced background rgb 'white'\n"
                           : "set terminal pngcairo size 1200,700 noenhanced\n";
  script += "set output " + outputFile + "\n";
  script += "set title " + TitleLiteral(request.title) + "\n";
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
  script += "plot " + daysFile +
            " using 1:'busy_hour_erlangs' with lines lc rgb '#9fb4c8' title 'daily busy hour', \\\n";
  script += "  " + monthsFile +
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
  *text = script + "\n";
  return true;
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
  std::string script;
  if (!Script(request, temporary, &script, error)) {
    std::remove(temporary.c_str());
    return false;
  }
  const int status = RunGnuplot(script);
  if (status != 0) {
    *error = status == 127 || status < 0 ? "cannot run gnuplot (install gnuplot-nox)" : "gnuplot failed";
    std::remove(temporary.c_str());
    return false;
  }
  // gnuplot may end well without having drawn anything where it was told.
  struct stat drawn {};
  if (stat(temporary.c_str(), &drawn) != 0 || drawn.st_size == 0) {
    *error = "gnuplot drew no chart into " + request.output;
    std::remove(temporary.c_str());
    return false;
  }
  return RenameIntoPlace(temporary, request.output, error);
}
