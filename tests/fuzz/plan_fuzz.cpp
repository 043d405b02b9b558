// Feeds arbitrary bytes to the journey plan as tables, prices, stones and a
// budget, and checks the figures a player spends by: a budget is at least
// the item price times the items and the cheapest attempt's cost times the
// attempts for its level; the cheapest stones cost no more than the given
// ones; nothing is NaN, negative or beyond its bound.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "model/plan.h"

namespace {

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  std::uint32_t Next() { return at < size ? data[at++] : 0u; }
  // A number up to 2^bits - 1 from as many bytes as it takes.
  std::uint64_t Wide(int bits) {
    std::uint64_t value = 0;
    for (int b = 0; b < bits; b += 8) value = (value << 8) | Next();
    return bits >= 64 ? value : value & ((std::uint64_t{1} << bits) - 1);
  }
};

// Names the invariant that fails, for the crash's report.
void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "plan_fuzz: %s does not hold\n", what);
  std::abort();
}

// A price from a byte: free, small, or anywhere up to 10^12.
double PriceOf(Bytes& bytes) {
  const std::uint32_t kind = bytes.Next() % 4;
  if (kind == 0) return 0.0;
  if (kind == 1) return static_cast<double>(bytes.Next() % 50);
  return static_cast<double>(bytes.Wide(40) % (static_cast<std::uint64_t>(kMaxPrice) + 1));
}

void CheckRow(const Plan& plan, int t) {
  const JourneyRow& row = plan.journey.rows[t];
  const JourneySteps& steps = plan.steps;
  const double cheapest =
      *std::min_element(steps.attempt_cost.begin(), steps.attempt_cost.begin() + steps.target);
  for (int p = 0; p < kPercentileCount; ++p) {
    const double budget = row.budget_for[p];
    const double error = row.budget_relative_error[p];
    Require(!std::isnan(budget) && budget >= 0.0, "a budget is a number at least 0");
    Require(!std::isnan(error) && error >= 0.0, "a budget's bound is a number at least 0");
    if (!std::isfinite(budget)) continue;
    Require(budget == std::floor(budget), "a budget is whole");
    if (row.items_for[p] != kNever)
      Require(budget >= steps.item_cost * static_cast<double>(row.items_for[p]),
              "a budget buys its items");
    if (row.attempts_for[p] != kNever)
      Require(budget >= cheapest * static_cast<double>(row.attempts_for[p]) * (1 - 1e-15),
              "a budget buys its attempts");
    if (p > 0 && std::isfinite(row.budget_for[p - 1]))
      Require(budget * (1 + 1e-12) >= row.budget_for[p - 1], "a higher level costs no less");
  }
  if (steps.budget >= 0) {
    Require(row.reach_within_budget >= 0.0 && row.reach_within_budget <= 1.0,
            "the chance within the budget is a chance");
  }
  for (const double stones : plan.expected_stones[t])
    Require(!std::isnan(stones) && stones >= 0, "the stones are a number at least 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes bytes{data, size};
  ProbabilityTables tables{};
  PlanRequest request;
  request.item_grade = static_cast<std::int32_t>(bytes.Next() % kItemGradeCount);
  request.item_level = static_cast<std::int32_t>(1 + bytes.Next() % 65);
  request.target = static_cast<int>(1 + bytes.Next() % kMaxTarget);
  // The tables of the item's grade: success out of 100000 (mostly small),
  // losses out of 10000, some cells 0.
  for (int t = 0; t < kUpgradeLevelCount; ++t) {
    const std::uint32_t kind = bytes.Next();
    tables.success_prob.entry[request.item_grade][t] =
        kind % 5 == 0 ? 0
                      : static_cast<std::int32_t>(bytes.Wide(16) % (kind % 2 != 0 ? 1000 : 100001));
    tables.destroy_prob.entry[request.item_grade][t] =
        kind % 3 == 0 ? 0 : static_cast<std::int32_t>(bytes.Wide(16) % 10001);
    tables.downgrade_prob.entry[request.item_grade][t] =
        kind % 7 == 0 ? 0 : static_cast<std::int32_t>(bytes.Wide(16) % 10001);
  }
  Prices prices;
  for (int tier = 1; tier < kStoneTierCount; ++tier) prices.stone[tier] = PriceOf(bytes);
  prices.attempt = PriceOf(bytes);
  prices.item = PriceOf(bytes);
  request.prices = prices;
  if (bytes.Next() % 2 == 0) request.budget = PriceOf(bytes);
  StonesPerStep fixed{};
  for (int t = 0; t < request.target; ++t) {
    std::generate(fixed[t].begin(), fixed[t].end(),
                  [&bytes] { return static_cast<std::int32_t>(bytes.Next() % 7); });
  }
  const Plan cheapest = MakePlan(tables, request);
  request.stones = fixed;
  const Plan given = MakePlan(tables, request);
  for (int t = 0; t < request.target; ++t) {
    CheckRow(cheapest, t);
    CheckRow(given, t);
    const double least = cheapest.journey.rows[t].expected_cost;
    const double other = given.journey.rows[t].expected_cost;
    Require(!std::isnan(least) && least >= 0.0, "the expected cost is a number at least 0");
    if (std::isfinite(other))
      Require(least <= other * (1 + 1e-9), "the cheapest stones cost no more");
  }
  return 0;
}
