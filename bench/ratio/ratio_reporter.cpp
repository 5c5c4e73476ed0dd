#include "bench/ratio/ratio_reporter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

std::string displayFormat(int argc, char** argv) {
  // The library's own order: the variable sets the default, the last flag
  // on the command line wins.
  const char* fromEnvironment = std::getenv("BENCHMARK_FORMAT");
  std::string format = fromEnvironment ? fromEnvironment : "console";
  const char flag[] = "--benchmark_format=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], flag, sizeof flag - 1) == 0) format = argv[i] + sizeof flag - 1;
  return format;
}

SummaryReporter::SummaryReporter(const std::string& format) : console_(format != "json" && format != "csv") {
  if (format == "json")
    shown_ = std::make_unique<benchmark::JSONReporter>();
  else if (format == "csv")
    shown_ = std::make_unique<benchmark::CSVReporter>();
  else
    shown_ = std::make_unique<benchmark::ConsoleReporter>();
}

bool SummaryReporter::ReportContext(const Context& context) { return shown_->ReportContext(context); }

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
  shown_->ReportRuns(runs);
  for (const Run& run : runs) collect(run);
}

void SummaryReporter::Finalize() {
  shown_->Finalize();
  if (console_) summarise();
}

void RatioReporter::collect(const Run& run) {
  const std::string& name = run.run_name.function_name;
  if (run.run_type == Run::RT_Aggregate) {
    if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedRealTime();
  } else {
    seconds_[name] = run.GetAdjustedRealTime();
  }
}

RatioReporter::Pairs RatioReporter::oursAgainstBare(const std::vector<std::string>& names) {
  Pairs pairs;
  for (const std::string& name : names) pairs.emplace_back(name + "/ours", name + "/bare");
  return pairs;
}

void RatioReporter::summarise() {
  for (const auto& [ours, peer] : pairs_) {
    const auto& times = medians_.count(ours) && medians_.count(peer) ? medians_ : seconds_;
    auto a = times.find(ours);
    auto b = times.find(peer);
    if (a == times.end() || b == times.end() || b->second <= 0) continue;
    std::printf("%-24s / %-22s = %.3f\n", ours.c_str(), peer.c_str(), a->second / b->second);
  }
}

}  // namespace bench
