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

// The lines of each month, the projection and the installed lines.
void LinesPanel(const ChartRequest& request, const std::string& daysFile, const std::string& monthsFile,
                std::string* text) {
  std::string script =
      "set timefmt '%Y-%m-%d'\n"
      // Room for the last month's label at the right edge.
      "set rmargin 5\n"
      "set ylabel 'Lines'\n"
      "set yrange [0:*]\n"
      "set key below horizontal width 2\n"
      "set format x '%b %Y'\n"
      "mid(c) = timecolumn(c, '%Y-%m') + 14 * 86400\n"
      "is(k) = strcol('kind') eq k\n";
  if (!request.runOutMonth.empty()) {
    std::string at, label;
    GnuplotLiteral(request.runOutMonth + "-15", &at);
    GnuplotLiteral("runs out " + request.runOutLabel, &label);
    script += "set arrow 1 from " + at + ", graph 0 to " + at + ", graph 1 nohead lw 2 dt 2 lc rgb '#c00000'\n";
    script += "set label 1 " + label + " at " + at + ", graph 0.95 right offset -0.5,0 textcolor rgb '#c00000'\n";
  }
  script += "plot " + daysFile +
            " using 1:(column('busy_day') == 1 ? column('peak_calls') : NaN) with points pt 7 ps 0.4 "
            "lc rgb '#9fb4c8' title 'peak calls of a busy day', \\\n";
  script += "  " + monthsFile +
            " using (mid(1)):(is('complete') ? column('lines_needed') : NaN) with linespoints pt 7 lw 2 "
            "lc rgb '#1f5fa0' title 'lines needed (complete months)', \\\n";
  script += "  '' using (mid(1)):(is('partial') && column('busy_days') > 0 ? column('lines_needed') : NaN) "
            "with points pt 4 ps 1.5 lc rgb '#1f5fa0' title 'lines needed (partial months)', \\\n";
  script += "  '' using (mid(1)):(is('projected') ? column('lines_needed') : NaN) with linespoints pt 6 lw 2 dt 2 "
            "lc rgb '#e07b00' title 'lines needed (projected)', \\\n";
  script += "  '' using (mid(1)):(is('projected') ? column('lines_needed_upper') : NaN) with lines lw 2 dt 3 "
            "lc rgb '#b03000' title 'upper end of the 95% prediction interval'";
  if (request.lines > 0) {
    char installed[128] = {};
    std::snprintf(installed, sizeof installed, ", \\\n  %d with lines lw 2 lc rgb '#c00000' title '%d lines installed'",
                  request.lines, request.lines);
    script += installed;
  }
  *text += script + "\nunset arrow\nunset label\n";
}

// The busy-day profile of one month.
void ProfilePanel(const ChartRequest& request, bool below, const std::string& profileFile, std::string* text) {
  std::string script = below ? "set size 1,0.3\nset origin 0,0\n" : "set yrange [0:*]\n";
  script +=
      "set timefmt '%H:%M'\n"
      "set rmargin 5\n"
      "set format x '%H:%M'\n"
      "set xrange ['00:00':'23:45']\n"
      "set ylabel 'Erlangs'\n"
      "set key below horizontal\n";
  if (request.profileMonth.empty()) {
    script += "set label 2 'no busy-hour profile: no complete month measured' at graph 0.5, graph 0.5 center\n";
    script += "set yrange [0:1]\nplot 0 notitle lc rgb '#cccccc'\n";
  } else {
    std::string month, title;
    GnuplotLiteral(request.profileMonth, &month);
    GnuplotLiteral("busy-day profile of " + request.profileMonth + " (mean traffic of each quarter hour)", &title);
    script += "plot " + profileFile + " using 2:(strcol('month') eq " + month +
              " ? column('erlangs') : NaN) with steps lw 2 lc rgb '#1f5fa0' title " + title + "\n";
  }
  *text += script;
}

// The months of months.csv sit in the middle of their month; the column
// names follow report/plan_csv.h. Two panels: the lines per month above,
// the busy-hour profile of one month below; or one of them alone.
bool Script(const ChartRequest& request, const std::string& output, std::string* text, std::string* error) {
  std::string outputFile, daysFile, monthsFile, profileFile;
  if (!FileLiteral(output, &outputFile, error) || !FileLiteral(request.daysCsv, &daysFile, error) ||
      !FileLiteral(request.monthsCsv, &monthsFile, error) || !FileLiteral(request.profileCsv, &profileFile, error)) {
    return false;
  }
  const bool svg = EndsWith(request.output, ".svg");
  const bool both = request.panels == ChartPanels::kBoth;
  const char* size = both ? "1200,900" : request.panels == ChartPanels::kLines ? "1200,600" : "1200,360";
  std::string script = std::string(svg ? "set terminal svg size " : "set terminal pngcairo size ") + size +
                       (svg ? " dynamic noenhanced background rgb 'white'\n" : " noenhanced\n");
  script += "set output " + outputFile + "\n";
  script +=
      "set datafile separator ','\n"
      "set datafile columnheaders\n"
      "set xdata time\n"
      "set grid\n";
  if (both) {
    script += "set multiplot layout 2,1 title " + TitleLiteral(request.title) + "\n";
    script += "set size 1,0.62\nset origin 0,0.33\n";
  } else if (!request.title.empty()) {
    script += "set title " + TitleLiteral(request.title) + "\n";
  }
  if (request.panels != ChartPanels::kProfile) LinesPanel(request, daysFile, monthsFile, &script);
  if (request.panels != ChartPanels::kLines) ProfilePanel(request, both, profileFile, &script);
  *text = both ? script + "unset multiplot\n" : script;
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
