// bench-measure: runs one program several times, one run after the other,
// and reports each run's wall time, CPU time (user and system) and peak
// resident memory, then the medians and the highest peak.
//
//   bench-measure --runs N [--stdin FILE] [--stdout FILE] [--stderr FILE]
//                 [--env NAME=VALUE]... -- PROGRAM ARG...
//
// Standard input of every run comes from FILE (else /dev/null); standard
// output of the last run goes to FILE (else /dev/null); standard error is
// passed through, or with --stderr goes to FILE (the last run's stays).
// --env entries are added to the environment of the runs only, so a
// preloaded clock cannot disturb the timing. Output, one line each:
//   run I WALL_SECONDS CPU_SECONDS RSS_KIB
//   median WALL_SECONDS cpu CPU_SECONDS max_rss_kib RSS_KIB
// Exits 1 when a run does not exit with status 0.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench-measure --runs N [--stdin FILE] [--stdout FILE] [--stderr FILE] [--env NAME=VALUE]... -- "
               "PROGRAM ARG...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  std::string input = "/dev/null", output = "/dev/null", errors;
  std::vector<std::string> extraEnv;
  int i = 1;
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) {
      ++i;
      break;
    }
    if (i + 1 >= argc) return Usage();
    if (std::strcmp(argv[i], "--runs") == 0) {
      runs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--stdin") == 0) {
      input = argv[++i];
    } else if (std::strcmp(argv[i], "--stdout") == 0) {
      output = argv[++i];
    } else if (std::strcmp(argv[i], "--stderr") == 0) {
      errors = argv[++i];
    } else if (std::strcmp(argv[i], "--env") == 0) {
      extraEnv.emplace_back(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (runs < 1 || i >= argc) return Usage();
  char** program = argv + i;

  // The runs' environment: ours with the --env entries replacing or adding.
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const char* equals = std::strchr(*e, '=');
    const size_t nameLength = equals != nullptr ? static_cast<size_t>(equals - *e) + 1 : std::strlen(*e);
    bool replaced = false;
    for (const std::string& extra : extraEnv) replaced = replaced || extra.compare(0, nameLength, *e, nameLength) == 0;
    if (!replaced) env.emplace_back(*e);
  }
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  std::vector<double> seconds, cpuSeconds;
  long maxRss = 0;
  for (int run = 1; run <= runs; ++run) {
    const double start = Now();
    pid_t child = fork();
    if (child < 0) {
      std::perror("bench-measure: fork");
      return 1;
    }
    if (child == 0) {
      int in = open(input.c_str(), O_RDONLY);
      int out = open(run == runs ? output.c_str() : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(126);
      close(in);
      close(out);
      if (!errors.empty()) {
        int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || dup2(err, 2) < 0) _exit(126);
        close(err);
      }
      execvpe(program[0], program, envp.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
      std::perror("bench-measure: wait");
      return 1;
    }
    const double elapsed = Now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "bench-measure: %s failed in run %d (status %d)\n", program[0], run, status);
      return 1;
    }
    const double cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    seconds.push_back(elapsed);
    cpuSeconds.push_back(cpu);
    maxRss = std::max(maxRss, usage.ru_maxrss);
    std::printf("run %d %.3f %.3f %ld\n", run, elapsed, cpu, usage.ru_maxrss);
    std::fflush(stdout);
  }
  std::printf("median %.3f cpu %.3f max_rss_kib %ld\n", Median(seconds), Median(cpuSeconds), maxRss);
  return 0;
}
