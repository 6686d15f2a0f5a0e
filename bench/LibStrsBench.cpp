// Cost per call of the date routines a periodic job runs through: the first
// run date of each cycle kind, and the date rules of a job evaluated against
// a base date (what the server does for every scheduled run).
#include <benchmark/benchmark.h>

#include <string>

#include "lib/LibStrs.h"
#include "platform/rtl/Variant.h"

namespace {

Variant WeeklyPattern() { return VarArrayOf({1, VarArrayOf({"2", 1})}); }
Variant MonthDayPattern() { return VarArrayOf({2, VarArrayOf({0, "1", "31"})}); }
Variant LastWeekdayPattern() { return VarArrayOf({2, VarArrayOf({1, "3", 4, 5})}); }

void BM_NextCycleDate(benchmark::State& state, Variant pattern) {
  if (NextCycleDate("20240515", pattern).empty()) {
    state.SkipWithError("the pattern gives no run date");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(NextCycleDate("20240515", pattern));
  }
}
BENCHMARK_CAPTURE(BM_NextCycleDate, Weekly, WeeklyPattern());
BENCHMARK_CAPTURE(BM_NextCycleDate, MonthDay, MonthDayPattern());
BENCHMARK_CAPTURE(BM_NextCycleDate, LastWeekday, LastWeekdayPattern());

// A package of a typical job: one full-date rule, one year-month rule and
// one range rule with both ends active.
Variant RulePackage() {
  const std::string sep = "\x03";
  Variant values = VarArrayOf({"", "", VarArrayOf({4, "", ""})});
  Variant rules = VarArrayOf({3,
                              "1" + sep + "edDate" + sep + "Y" + sep + "1" + sep + "1" + sep +
                                  "2" + sep + "0" + sep + "D" + sep + "0",
                              "1" + sep + "edMonth" + sep + "Y" + sep + "-1" + sep + "1" + sep +
                                  "0" + sep + "0" + sep + "M" + sep + "1",
                              "0" + sep + "edRange" + sep + "Y" + sep + "0" + sep + "0" + sep +
                                  "1" + sep + "0" + sep + "Y" + sep + "0" + sep + "0" + sep +
                                  "2" + sep + "0" + sep + "D" + sep + "2"});
  Variant package = VarArrayCreate({1, 3});
  package[1] = values;
  package[3] = rules;
  return package;
}

void BM_ApplyDateRules(benchmark::State& state) {
  const Variant package = RulePackage();
  // Timing the failure path instead would flatter the figure.
  if (!ApplyDateRules(package, "20240515").IsArray()) {
    state.SkipWithError("the rule package does not evaluate");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(ApplyDateRules(package, "20240515"));
  }
}
BENCHMARK(BM_ApplyDateRules);

}  // namespace
