// The report every benchmark program ends with: how many times slower one
// benchmark ran than another in the same run, which says more than absolute
// times on a shared machine.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Prints, after the usual table, for each pair (A, B) of benchmark names
// the time of A divided by that of B in the same run (the medians of
// repeated benchmarks).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  explicit RatioReporter(Pairs pairs) : pairs_(std::move(pairs)) {}
  // For each name N: "N/ours" against "N/bare".
  static Pairs oursAgainstBare(const std::vector<std::string>& names);

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  Pairs pairs_;
  std::map<std::string, double> seconds_;
  std::map<std::string, double> medians_;
};

}  // namespace bench
