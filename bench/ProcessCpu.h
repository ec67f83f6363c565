#pragma once

// The whole process's CPU time, split into user and system time, for benchmarks that measure a
// pipeline of threads rather than one function.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

namespace quelt::bench {

struct CpuTimes {
  double user = 0;    // seconds
  double system = 0;  // seconds
  CpuTimes operator-(const CpuTimes& earlier) const { return {user - earlier.user, system - earlier.system}; }
  CpuTimes& operator+=(const CpuTimes& more) {
    user += more.user;
    system += more.system;
    return *this;
  }
};

inline CpuTimes ProcessCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// Microseconds of CPU per item: all of it, and the user and system shares.
inline void ReportCpuPerItem(benchmark::State& state, const CpuTimes& cpu, int64_t items) {
  if (items <= 0) return;
  const double perItem = 1e6 / double(items);
  state.counters["cpu_us_per_item"] = (cpu.user + cpu.system) * perItem;
  state.counters["user_us_per_item"] = cpu.user * perItem;
  state.counters["sys_us_per_item"] = cpu.system * perItem;
}

}  // namespace quelt::bench
