// The report every benchmark program ends with: how many times slower one
// benchmark ran than another in the same run, which says more than absolute
// times on a shared machine.
//
// The programs keep Google Benchmark's command line: --benchmark_format
// picks what is shown (console, json or csv) and --benchmark_out still
// writes its file.  The ratios are added below the console table only; in
// the other formats the output is exactly what the library would print, so
// that tools reading it are not disturbed.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// The display format that --benchmark_format (or the BENCHMARK_FORMAT
// variable) asks for, as Google Benchmark will read it.  Call it before
// benchmark::Initialize, which takes its flags out of `argv`.
std::string displayFormat(int argc, char** argv);

// The display reporter of `format`, as the library would make it, with a
// summary of the runs printed below it when the format is console.
// Subclasses gather what they need from each run and print the summary.
class SummaryReporter : public benchmark::BenchmarkReporter {
 public:
  explicit SummaryReporter(const std::string& format);

  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 protected:
  // Sees every run reported, in order.
  virtual void collect(const Run& run) = 0;
  // Prints the summary to stdout; called only for the console format.
  virtual void summarise() = 0;

 private:
  std::unique_ptr<benchmark::BenchmarkReporter> shown_;
  bool console_;
};

// For each pair (A, B) of benchmark names, the time of A divided by that of
// B in the same run (the medians of repeated benchmarks).
class RatioReporter : public SummaryReporter {
 public:
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  RatioReporter(const std::string& format, Pairs pairs) : SummaryReporter(format), pairs_(std::move(pairs)) {}
  // For each name N: "N/ours" against "N/bare".
  static Pairs oursAgainstBare(const std::vector<std::string>& names);

 protected:
  void collect(const Run& run) override;
  void summarise() override;

 private:
  Pairs pairs_;
  std::map<std::string, double> seconds_;
  std::map<std::string, double> medians_;
};

}  // namespace bench
