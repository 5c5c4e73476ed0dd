#include "bench/ratio/ratio_reporter.h"

#include <cstdio>

namespace bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
}

RatioReporter::Pairs RatioReporter::oursAgainstBare(const std::vector<std::string>& names) {
  Pairs pairs;
  for (const std::string& name : names) pairs.emplace_back(name + "/ours", name + "/bare");
  return pairs;
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  for (const auto& [ours, peer] : pairs_) {
    auto a = seconds_.find(ours);
    auto b = seconds_.find(peer);
    if (a == seconds_.end() || b == seconds_.end() || b->second <= 0) continue;
    std::printf("%-24s / %-22s = %.3f\n", ours.c_str(), peer.c_str(), a->second / b->second);
  }
}

}  // namespace bench
