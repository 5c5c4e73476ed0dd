#include "bench/ratio/ratio_reporter.h"

#include <cstdio>

namespace bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    const std::string& name = run.run_name.function_name;
    if (run.run_type == Run::RT_Aggregate) {
      if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedRealTime();
    } else {
      seconds_[name] = run.GetAdjustedRealTime();
    }
  }
}

RatioReporter::Pairs RatioReporter::oursAgainstBare(const std::vector<std::string>& names) {
  Pairs pairs;
  for (const std::string& name : names) pairs.emplace_back(name + "/ours", name + "/bare");
  return pairs;
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  for (const auto& [ours, peer] : pairs_) {
    const auto& times = medians_.count(ours) && medians_.count(peer) ? medians_ : seconds_;
    auto a = times.find(ours);
    auto b = times.find(peer);
    if (a == times.end() || b == times.end() || b->second <= 0) continue;
    std::printf("%-24s / %-22s = %.3f\n", ours.c_str(), peer.c_str(), a->second / b->second);
  }
}

}  // namespace bench
