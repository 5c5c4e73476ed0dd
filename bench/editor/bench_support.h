// Pieces shared by the editor's benchmarks under wine: the Japanese code
// page's conversion, a message pump, a host window, and a reporter that
// prints each of our results divided by its peer's after the usual table.
#pragma once

#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench_support {

inline std::wstring toWide(const std::string& ansi) {
  int n = MultiByteToWideChar(932, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

inline void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline HWND makeParent(const wchar_t* title) {
  HWND parent = CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!parent) std::abort();
  return parent;
}

// Prints "ours / peer = ratio" for each pair of benchmark names that ran.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs) : pairs_(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [ours, peer] : pairs_) {
      auto a = seconds_.find(ours);
      auto b = seconds_.find(peer);
      if (a == seconds_.end() || b == seconds_.end() || b->second <= 0) continue;
      std::printf("%-24s / %-22s = %.3f\n", ours.c_str(), peer.c_str(), a->second / b->second);
    }
  }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::map<std::string, double> seconds_;
};

}  // namespace bench_support
