#include "model/journey_budget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/journey.h"
#include "tests/budget_recursion.h"

namespace {

using budget_recursion::kAll;
using budget_recursion::LeastByRecursion;
using budget_recursion::Odds;
using budget_recursion::Priced;
using budget_recursion::Share;

// The distribution of the total spent from start, by walking the chances
// attempt by attempt over (talik count, spent so far): the chance that
// arrives at the target with each total. Counts the target cannot be
// reached from (a count above them cannot succeed) drop their chance.
// Stops once what is still on its way is below 10^-14; a total beyond
// `limit` is left out (the chance within a budget up to it stays exact).
std::map<double, double> SpentByWalking(const JourneySteps& steps, int start,
                                        double limit = INFINITY) {
  const int n = steps.target;
  std::vector<bool> alive(static_cast<std::size_t>(n) + 1, true);
  for (int t = n - 1; t >= 0; --t) alive[t] = alive[t + 1] && steps.odds[t].success > 0;
  // Where the walk is: the whole amount spent times 8 plus the talik count.
  const auto place = [](int t, double spent) {
    return static_cast<std::uint64_t>(spent) * 8 + static_cast<std::uint64_t>(t);
  };
  std::map<double, double> arrived;
  std::unordered_map<std::uint64_t, double> on_the_way;
  if (alive[start]) on_the_way[place(start, 0.0)] = 1.0;
  for (int attempt = 0; attempt < 200000 && !on_the_way.empty(); ++attempt) {
    std::unordered_map<std::uint64_t, double> next;
    next.reserve(on_the_way.size() * 2);
    double left = 0.0;
    for (const auto& [where, share_here] : on_the_way) {
      const double chance = share_here;  // a lambda captures no structured binding
      const int t = static_cast<int>(where % 8);
      const std::uint64_t spent_units = where / 8;
      const auto spent = static_cast<double>(spent_units);
      const OutcomeOdds& odds = steps.odds[t];
      const double paid = spent + steps.attempt_cost[t];
      const auto go = [&](int to, double total, double share) {
        if (share == 0.0 || total > limit) return;
        if (to == n) {
          arrived[total] += chance * share;
        } else if (alive[to]) {
          next[place(to, total)] += chance * share;
        }
      };
      go(t + 1, paid, Share(odds.success));
      go(0, paid, Share(odds.taliks_destroyed));
      go(0, paid + steps.item_cost, Share(odds.item_destroyed));
      go(t, paid, Share(odds.failed));
    }
    for (const auto& entry : next) left += entry.second;
    on_the_way = left < 1e-14 ? decltype(next){} : std::move(next);
  }
  return arrived;
}

// P(spent <= budget) and the least budget for a level, from the walk.
double WithinByWalking(const std::map<double, double>& spent, double budget) {
  double sum = 0.0;
  for (const auto& [total, chance] : spent) {
    if (total > budget) break;
    sum += chance;
  }
  return sum;
}

double LeastByWalking(const std::map<double, double>& spent, double level) {
  double sum = 0.0;
  for (const auto& [total, chance] : spent) {
    sum += chance;
    if (sum >= level) return total;
  }
  return INFINITY;
}

// Every budget of the journey is the walk's least budget: at it the chance
// is at least the level, just below it less, to within 10^-12; and the
// chance within the player's budget is the walk's. Totals beyond `limit`
// are not walked: every budget must lie below it.
void ExpectExactAgainstTheWalk(const JourneySteps& steps, const char* what,
                               double limit = INFINITY) {
  const Journey journey = PlanJourney(steps);
  for (int t = 0; t < steps.target; ++t) {
    const std::map<double, double> spent = SpentByWalking(steps, t, limit);
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      const double level = kPercentileLevels[p];
      const double budget = row.budget_for[p];
      EXPECT_EQ(row.budget_relative_error[p], 0.0) << what << " " << t << " " << p;
      if (!std::isfinite(budget)) {
        EXPECT_LT(WithinByWalking(spent, INFINITY), level + 1e-12) << what << " " << t << " " << p;
        continue;
      }
      EXPECT_GE(WithinByWalking(spent, budget), level - 1e-12) << what << " " << t << " " << p;
      EXPECT_LT(WithinByWalking(spent, budget - 1), level + 1e-12) << what << " " << t << " " << p;
      EXPECT_EQ(budget, LeastByWalking(spent, level)) << what << " " << t << " " << p;
    }
    if (steps.budget >= 0) {
      EXPECT_TRUE(row.reach_within_budget_exact) << what << " " << t;
      EXPECT_NEAR(row.reach_within_budget, WithinByWalking(spent, steps.budget), 1e-12)
          << what << " " << t;
    }
  }
}

// ---- Exact on the lattice -------------------------------------------------

// Costs far apart on a sparse lattice: 90 % takes ten attempts at 1028, not
// the nine a budget rounded to a coarser unit buys.
TEST(JourneyBudgetTest, ASparseLatticeIsCountedUnitByUnit) {
  const JourneySteps one = Priced({Odds(210, 0, 0)}, {1028}, 0);
  const Journey journey = PlanJourney(one);
  EXPECT_EQ(journey.rows[0].budget_for[1], 1028.0 * journey.rows[0].attempts_for[1]);
  ExpectExactAgainstTheWalk(Priced({Odds(600, 0, 40), Odds(410, 0, 30)}, {1000, 1028}, 0, 9000),
                            "1000 and 1028");
  ExpectExactAgainstTheWalk(
      Priced({Odds(700, 60, 0), Odds(500, 90, 100), Odds(600, 50, 100)}, {7, 12, 30}, 45, 400),
      "the item in the lattice");
}

// An item price far beyond the attempts' costs: counted apart, exactly,
// whatever its size, and never below the items' own price.
TEST(JourneyBudgetTest, ALargeItemPriceIsCountedApart) {
  for (const double item : {1e7, 999999999999.0, 123456791.0}) {
    const JourneySteps steps =
        Priced({Odds(600, 150, 0), Odds(500, 120, 90)}, {9, 201}, item, 2.5 * item);
    ExpectExactAgainstTheWalk(steps, "a large item price");
    const Journey journey = PlanJourney(steps);
    for (int t = 0; t < steps.target; ++t) {
      for (int p = 0; p < kPercentileCount; ++p)
        EXPECT_GE(journey.rows[t].budget_for[p], item * journey.rows[t].items_for[p]);
    }
  }
}

// An item dearer than any attempts' total, destroyed some 3 500 times for
// 99 %: the rows to the attempts' tail times the item counts are far too
// many for a pass over every item count, so each level's count of items is
// taken from one life's powers. Every budget is exact: k item prices and
// the least total of the attempts with exactly k destroyed that brings the
// chance to the level, by the test's own recursion over totals and item
// counts.
TEST(JourneyBudgetTest, ManyItemsBeyondThePassAreCountedFromOneLife) {
  const double item = 1e9;
  const JourneySteps steps = Priced({Odds(512, 460, 0), Odds(1, 400, 0)}, {1}, item);
  const Journey journey = PlanJourney(steps);
  const int n = steps.target;
  const std::int64_t rows = 20000, items = 3700;
  std::array<std::array<double, 4>, 2> share{};
  for (int t = 0; t < n; ++t) {
    const OutcomeOdds& odds = steps.odds[t];
    share[t] = {Share(odds.success), Share(odds.failed), Share(odds.taliks_destroyed),
                Share(odds.item_destroyed)};
  }
  // Row by row of attempts: w[k n + t], from t with exactly k destroyed
  // and at most a attempts, from the row before. The first walk finds each
  // level's count of items, k, from the chance of each count at the last
  // row (all but some 10^-20 of it); the second the least row at k.
  const auto walk = [&](const std::function<void(std::int64_t, const std::vector<double>&)>& look) {
    std::vector<double> before(static_cast<std::size_t>(items * n), 0.0), here = before;
    for (std::int64_t a = 1; a < rows; ++a) {
      for (std::int64_t k = 0; k < items; ++k) {
        for (int t = 0; t < n; ++t) {
          const auto at = [&](std::int64_t j, int u) {
            return before[static_cast<std::size_t>(j * n + u)];
          };
          const double up = t + 1 == n ? (k == 0 ? 1.0 : 0.0) : at(k, t + 1);
          here[static_cast<std::size_t>(k * n + t)] = share[t][0] * up + share[t][1] * at(k, t) +
                                                      share[t][2] * at(k, 0) +
                                                      (k > 0 ? share[t][3] * at(k - 1, 0) : 0.0);
        }
      }
      before.swap(here);
      look(a, before);
    }
  };
  std::vector<double> last;
  walk([&](std::int64_t a, const std::vector<double>& row) {
    if (a == rows - 1) last = row;
  });
  std::array<std::array<std::int64_t, kPercentileCount>, 2> count{}, least{};
  std::array<std::array<double, kPercentileCount>, 2> fewer{};
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      std::int64_t k = 0;
      while (fewer[t][p] + last[static_cast<std::size_t>(k * n + t)] < kPercentileLevels[p])
        fewer[t][p] += last[static_cast<std::size_t>((k++) * n + t)];
      ASSERT_LT(k, items - 1);
      count[t][p] = k;
      least[t][p] = -1;
    }
  }
  walk([&](std::int64_t a, const std::vector<double>& row) {
    for (int t = 0; t < n; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        const double chance = row[static_cast<std::size_t>(count[t][p] * n + t)];
        if (least[t][p] < 0 && fewer[t][p] + chance >= kPercentileLevels[p]) least[t][p] = a;
      }
    }
  });
  for (int t = 0; t < n; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      EXPECT_EQ(journey.rows[t].items_for[p], count[t][p]) << t << " " << p;
      EXPECT_EQ(journey.rows[t].budget_for[p],
                item * static_cast<double>(count[t][p]) + static_cast<double>(least[t][p]))
          << t << " " << p;
      EXPECT_EQ(journey.rows[t].budget_relative_error[p], 0.0) << t << " " << p;
    }
  }
}

// An item of 90 000 on a climb of seven counts of about 100 an attempt: the
// attempts' whole total passes 90 000 only some 10^-13 of the time, short
// of the tail the pass is sized by. The fewer items are counted whole all
// the same, as the item price is beyond the attempts but for 5 10^-13, and
// the pass stops at the budgets' rows. An item of 30 000, which the
// attempts pass a few times in a million, is not beyond them: its fewer
// items are counted in full. Every budget and the chance within the player's
// budget are the plain recursion's, whose lattice holds the item too.
TEST(JourneyBudgetTest, AnItemJustShortOfTheAttemptsTailIsCountedApart) {
  const std::vector<OutcomeOdds> climb(7, Odds(600, 60, 150));
  for (const double item : {90000.0, 30000.0}) {
    const JourneySteps steps = Priced(climb, {100, 104, 101}, item, 600000);
    const Journey journey = PlanJourney(steps);
    for (const int t : {0, 6}) {
      double within = -1.0;
      const std::array<double, kPercentileCount> least =
          LeastByRecursion(steps, t, steps.budget, &within);
      const JourneyRow& row = journey.rows[t];
      for (int p = 0; p < kPercentileCount; ++p) {
        EXPECT_EQ(row.budget_for[p], least[p]) << item << " " << t << " " << p;
        EXPECT_EQ(row.budget_relative_error[p], 0.0) << item << " " << t << " " << p;
      }
      EXPECT_TRUE(row.reach_within_budget_exact) << item << " " << t;
      EXPECT_NEAR(row.reach_within_budget, within, 1e-12) << item << " " << t;
    }
  }
}

// Every attempt of one cost and an item near three of them, destroyed often
// on a climb of six counts: the items apart are many, and the rows to the
// tail of the attempts (some 5 000) times the item counts are too many for
// a pass that keeps them all, while the rows up to the largest budget (some
// 1 000) are not. So the pass stops there, and every budget is exact.
TEST(JourneyBudgetTest, ItemsApartAreCountedAsFarAsTheBudgetsNeed) {
  ExpectExactAgainstTheWalk(Priced({Odds(902, 0, 0), Odds(652, 28, 93), Odds(470, 58, 170),
                                    Odds(338, 93, 236), Odds(244, 129, 294), Odds(175, 167, 346)},
                                   {1064207}, 3000000, 4e8),
                            "one cost, items apart", 1.2e9);
}

// Every attempt of 1 000 102 and an item of 10^7, 1 020 short of ten
// attempts, on a journey of some 5 10^5 attempts and 2 10^4 items: no exact
// pass fits, nor do the lives. Counted on the attempt's own unit, the item
// rounded up to ten of them, the totals are 1 000 102 times those of
// attempts of 1 and an item of 10, counted unit by unit, and at most
// 1 020 / 10^7 of that above the true ones: every budget lies at or above
// that journey's scaled, within 1.02 10^-4 and the budget's own bound.
TEST(JourneyBudgetTest, AnItemNearAWholeNumberOfAttemptsIsCountedOnTheAttemptsUnit) {
  constexpr double kAttempt = 1000102, kItem = 1e7;
  const std::vector<OutcomeOdds> odds = {Odds(216, 0, 0),     Odds(154, 82, 225),
                                         Odds(113, 113, 282), Odds(81, 146, 326),
                                         Odds(59, 179, 364),  Odds(42, 212, 399)};
  const Journey journey = PlanJourney(Priced(odds, {kAttempt}, kItem));
  const JourneySteps in_units = Priced(odds, {1}, 10);
  for (const int t : {0, 5}) {
    const auto units = LeastByRecursion(in_units, t);
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      const double rounded_up = kAttempt * units[p];
      EXPECT_GE(row.budget_for[p], rounded_up) << t << " " << p;
      EXPECT_LE(row.budget_for[p], rounded_up * (1.0 + row.budget_relative_error[p]))
          << t << " " << p;
      EXPECT_LE(row.budget_relative_error[p], kBudgetRelativeError) << t << " " << p;
    }
  }
}

// Six attempts of 200 000 that always succeed, then at 6 taliks attempts of
// 37 that leave one time in 1024, all but 2^-43 of those to the target, and
// an item far dearer than any total of attempts. The walk lingers only at 6
// taliks, where its weight in the tail is least: from 0 taliks, with the
// climb still ahead, a total spent on attempts is as likely as one a climb
// larger from 6. The pass's rows reach as far from every count. Within a
// budget of 1 500 000 the chance from each count is that of leaving 6
// taliks within the attempts the budget leaves there, 8108 from 0 (a loss
// on the way to 0 takes the climb again, beyond the budget from below 5
// taliks and at most 2^-43 of the chance from 5 and 6).
TEST(JourneyBudgetTest, ALongStayAfterADearClimbIsCountedToItsEnd) {
  constexpr std::uint64_t kBack = std::uint64_t{1} << 6;
  constexpr std::uint64_t kLeaving = kAll >> 10;
  const OutcomeOdds stay{kLeaving - 2 * kBack, kBack, kBack, kAll - kLeaving};
  const OutcomeOdds climb = Odds(1024, 0, 0);
  constexpr double kClimb = 200000, kStay = 37, kBudget = 1500000;
  const JourneySteps steps =
      Priced({climb, climb, climb, climb, climb, climb, stay},
             {kClimb, kClimb, kClimb, kClimb, kClimb, kClimb, kStay}, 1e8, kBudget);
  const Journey journey = PlanJourney(steps);
  const double to_target = 1.0 - std::ldexp(1.0, -43);
  const auto within = [&](int t, double budget) {
    const double attempts = std::floor((budget - kClimb * (6 - t)) / kStay);
    return to_target * -std::expm1(attempts * std::log1p(-1.0 / 1024));
  };
  for (int t = 0; t < steps.target; ++t) {
    const JourneyRow& row = journey.rows[t];
    EXPECT_NEAR(row.reach_within_budget, within(t, kBudget), 1e-12) << t;
    for (int p = 0; p < kPercentileCount; ++p) {
      // The least budget: the climb and the fewest attempts at 6 taliks.
      int attempts = 1;
      while (within(t, kClimb * (6 - t) + kStay * attempts) < kPercentileLevels[p]) ++attempts;
      EXPECT_EQ(row.budget_for[p], kClimb * (6 - t) + kStay * attempts) << t << " " << p;
      EXPECT_EQ(row.budget_relative_error[p], 0.0) << t << " " << p;
    }
  }
  EXPECT_LT(journey.rows[0].reach_within_budget, 1.0 - 3e-4);
}

// Steps that cost nothing are solved within a row: here the first count is
// free and the item costs nothing; then only the items cost.
TEST(JourneyBudgetTest, FreeStepsAreSolvedWithinTheRow) {
  ExpectExactAgainstTheWalk(
      Priced({Odds(300, 0, 0), Odds(500, 50, 100), Odds(600, 100, 50)}, {0, 11, 13}, 0, 150),
      "a free first step");
  ExpectExactAgainstTheWalk(
      Priced({Odds(500, 20, 0), Odds(400, 50, 100), Odds(600, 100, 50)}, {5, 0, 0}, 3, 40),
      "free steps at the top, the item in the lattice");
  ExpectExactAgainstTheWalk(Priced({Odds(500, 200, 0), Odds(400, 150, 100)}, {0}, 1000, 5000),
                            "only the items cost");
}

// A journey that may never end: the levels it reaches have budgets, the
// others none, and nothing is followed past the chance it has.
TEST(JourneyBudgetTest, AJourneyThatMayNeverEnd) {
  // One talik cannot be passed: from 2 and 3 the target is reached only by
  // climbing without a loss, from 2 with a chance of 84 %.
  const JourneySteps blocked =
      Priced({Odds(300, 0, 0), Odds(0, 10, 10), Odds(600, 30, 40), Odds(700, 20, 30)}, {3, 4, 5, 6},
             50, 60);
  const std::array<double, kMaxTarget> reach = ReachWithNewItems(blocked);
  EXPECT_EQ(reach[0], 0.0);
  EXPECT_EQ(reach[1], 0.0);
  EXPECT_NEAR(reach[2], 600.0 / 670 * 700 / 750, 1e-15);
  EXPECT_NEAR(reach[3], 700.0 / 750, 1e-15);
  ExpectExactAgainstTheWalk(blocked, "a count that cannot be passed");
  const Journey journey = PlanJourney(blocked);
  EXPECT_TRUE(std::isfinite(journey.rows[2].budget_for[0]));
  EXPECT_TRUE(std::isinf(journey.rows[2].budget_for[1]));
  EXPECT_TRUE(std::isinf(journey.rows[0].budget_for[0]));
  // No tables at all: nothing is ever reached, no budget is 0.
  const Journey nothing = PlanJourney(Priced({Odds(0, 0, 0), Odds(0, 0, 0)}, {1}, 1, 10));
  for (int t = 0; t < 2; ++t) {
    for (const double budget : nothing.rows[t].budget_for) EXPECT_TRUE(std::isinf(budget));
    EXPECT_EQ(nothing.rows[t].reach_within_budget, 0.0);
  }
}

// A count whose attempts cost nothing and that cannot be left: the tables
// of "2,0,0,2,0,0,2" with no losses. It ends at once, with figures from 3 only.
TEST(JourneyBudgetTest, AFreeCountThatCannotBeLeftEndsAtOnce) {
  const OutcomeOdds rare = Odds(1, 0, 0);
  const OutcomeOdds never = Odds(0, 0, 0);
  const JourneySteps steps = Priced({rare, never, never, rare}, {0, 0, 0, 5}, 0, 5000);
  const Journey journey = PlanJourney(steps);
  for (int t = 0; t < 3; ++t) {
    for (const double budget : journey.rows[t].budget_for) EXPECT_TRUE(std::isinf(budget));
  }
  EXPECT_EQ(journey.rows[3].budget_for[1], 5.0 * journey.rows[3].attempts_for[1]);
  EXPECT_NEAR(journey.rows[3].reach_within_budget, 1 - std::pow(1 - 1.0 / 1024, 1000), 1e-12);
}

// ---- The identities of long journeys --------------------------------------

// Grade-10-like odds, 10^8 attempts and more from 0.
JourneySteps LongJourney(std::vector<double> costs, double item, double budget = -1.0) {
  const std::uint64_t unit = kAll >> 30;
  std::vector<OutcomeOdds> odds;
  for (int t = 0; t < 6; ++t) {
    const std::uint64_t success = (std::uint64_t{1} << 27) >> t;  // 1/8 down to 1/256
    const std::uint64_t destroyed = (std::uint64_t{1} << 26) * (t + 1);
    const std::uint64_t lost = std::uint64_t{1} << 28;
    odds.push_back({success * unit, destroyed * unit, lost * unit,
                    kAll - (success + destroyed + lost) * unit});
  }
  return Priced(odds, std::move(costs), item, budget);
}

TEST(JourneyBudgetTest, FreeAttemptsCostTheItemsAndFreeItemsTheAttempts) {
  const Journey items_only = PlanJourney(LongJourney({0}, 7));
  const Journey attempts_only = PlanJourney(LongJourney({13}, 0));
  ASSERT_GT(items_only.rows[0].attempts_for[0], 100000000);
  for (int t = 0; t < 6; ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      EXPECT_EQ(items_only.rows[t].budget_for[p], 7.0 * items_only.rows[t].items_for[p]);
      EXPECT_EQ(attempts_only.rows[t].budget_for[p], 13.0 * attempts_only.rows[t].attempts_for[p]);
      EXPECT_EQ(items_only.rows[t].budget_relative_error[p], 0.0);
      EXPECT_EQ(attempts_only.rows[t].budget_relative_error[p], 0.0);
    }
  }
}

// ---- Beyond the exact lattice ---------------------------------------------

// Costs of 10^12 and 10^12 + 1, whose unit is 1, and an item of 3 10^12: far
// too many units for a lattice, but few totals on a journey this short, so
// every budget and the chance within the player's are exact all the same.
TEST(JourneyBudgetTest, AShortJourneyOfDearStepsIsExactWhateverItsUnit) {
  JourneySteps dear = Priced({Odds(300, 0, 0), Odds(200, 0, 100)}, {1e12, 1e12 + 1}, 0, 3e12);
  dear.budget = 3.3e14;
  ExpectExactAgainstTheWalk(dear, "dear steps");
}

// Two dear counts of about 10^12 an attempt, then three cheap ones of about
// 10^3 that seldom lead back to the dear ones: the 50 % level from the
// first cheap count lies some ten million times below the others, far below
// what a lattice that holds the dear steps resolves, and takes more attempts
// of the three costs than the first attempts' walk settles. Its own passes
// leave the dear steps beyond their last row, and bracket it within the
// bound all the same, against a walk of every total up to it.
TEST(JourneyBudgetTest, ALevelOfCheapAttemptsBesideDearOnesIsBracketedOnItsOwnScale) {
  const std::vector<OutcomeOdds> odds = {Odds(40, 0, 0), Odds(30, 0, 0), Odds(70, 0, 1),
                                         Odds(70, 0, 1), Odds(70, 0, 1)};
  const JourneySteps steps = Priced(odds, {1e12 + 2011, 1e12 + 2010, 1022, 1013, 1031}, 0);
  const Journey journey = PlanJourney(steps);
  const JourneyRow& from_two = journey.rows[2];
  for (int p = 0; p < kPercentileCount; ++p)
    EXPECT_LE(from_two.budget_relative_error[p], kBudgetRelativeError) << p;
  const double budget = from_two.budget_for[0];
  ASSERT_LT(budget, 1e5);
  const double truth = LeastByWalking(SpentByWalking(steps, 2, 1e5), kPercentileLevels[0]);
  EXPECT_GT(from_two.budget_relative_error[0], 0.0);  // not settled by the walk
  EXPECT_GE(budget, truth);
  EXPECT_LE((budget - truth) / truth, from_two.budget_relative_error[0] * (1 + 1e-9));
}

// The longest journeys, priced with spread costs: every budget is within its
// bound, and above what the items and the attempts alone take. The bound is
// within kBudgetRelativeError where a pass holds the dearest step; with an
// item a hundred million attempts' worth, only the martingale's bracket and
// the counts' stand, and the bound says how wide they are.
TEST(JourneyBudgetTest, TheLongestJourneysAreBoundedAtEveryScale) {
  for (const double item : {0.0, 1000.0, 1e11}) {
    const JourneySteps steps = LongJourney({3, 5, 8, 13, 21, 34}, item, 1e12);
    const Journey journey = PlanJourney(steps);
    for (int t = 0; t < 6; ++t) {
      const JourneyRow& row = journey.rows[t];
      for (int p = 0; p < kPercentileCount; ++p) {
        EXPECT_GE(row.budget_for[p], item * row.items_for[p]) << item << " " << t << " " << p;
        EXPECT_GE(row.budget_for[p], 3.0 * row.attempts_for[p]) << item << " " << t << " " << p;
        EXPECT_LE(row.budget_relative_error[p], kBudgetRelativeError)
            << item << " " << t << " " << p;
        EXPECT_GT(row.budget_relative_error[p], 0.0);
      }
      EXPECT_GE(row.reach_within_budget, 0.0);
      EXPECT_LE(row.reach_within_budget, 1.0);
    }
  }
}

// Journeys too long for an exact count in the model, against the plain
// recursion, from 0 and from the count below the target: every budget
// suffices, and is within the bound it states, itself within the tolerance.
void ExpectBracketedByTheRecursion(const JourneySteps& steps, double unit, const char* what) {
  const Journey journey = PlanJourney(steps);
  const double dearest =
      *std::max_element(steps.attempt_cost.begin(), steps.attempt_cost.begin() + steps.target);
  ASSERT_GT(static_cast<double>(journey.rows[0].attempts_for[2]) * dearest, 0x1p22 * unit) << what;
  for (const int t : {0, steps.target - 1}) {
    const std::array<double, kPercentileCount> truth = LeastByRecursion(steps, t);
    for (int p = 0; p < kPercentileCount; ++p) {
      const double budget = journey.rows[t].budget_for[p];
      const double bound = journey.rows[t].budget_relative_error[p];
      EXPECT_GE(budget, truth[p]) << what << " " << t << " " << p;
      EXPECT_LE((budget - truth[p]) / truth[p], bound) << what << " " << t << " " << p;
      EXPECT_LE(bound, kBudgetRelativeError) << what << " " << t << " " << p;
    }
  }
}

TEST(JourneyBudgetTest, ALevelBeyondThePassIsBracketedByItsLastRows) {
  JourneySteps spread = LongJourney({2, 3, 5, 8, 13, 21}, 40);
  for (int t = 0; t < 6; ++t) {
    // Twice and three times the chance: about 3 10^5 attempts for 99 %.
    const std::uint64_t times = t == 0 ? 2 : 3;
    OutcomeOdds& odds = spread.odds[t];
    odds.failed -= odds.success * (times - 1);
    odds.success *= times;
    // Few losses: a count near the target is far nearer the end than 0.
    odds.failed += odds.taliks_destroyed - odds.taliks_destroyed / 16;
    odds.taliks_destroyed /= 16;
  }
  ExpectBracketedByTheRecursion(spread, 1, "spread costs");
  // An item worth 10^5 attempts, on a lattice of 2: the strip is a wide
  // one, and the walk forgets slowly.
  std::vector<OutcomeOdds> odds;
  for (int t = 0; t < 3; ++t) {
    const std::uint64_t success = kAll >> (8 + 2 * t), lost = kAll >> 6, destroyed = kAll >> 16;
    odds.push_back({success, destroyed, lost, kAll - success - destroyed - lost});
  }
  ExpectBracketedByTheRecursion(Priced(odds, {2, 4, 6}, 200000), 2, "a dear item");
}

// Outcome counts out of 2^60 from shares given as fractions.
OutcomeOdds Fractions(double success, double destroyed, double lost) {
  const auto count = [](double share) { return static_cast<std::uint64_t>(std::ldexp(share, 60)); };
  return {count(success), count(destroyed), count(lost),
          kAll - count(success) - count(destroyed) - count(lost)};
}

// Attempts of 37 at 0 taliks and of 2813 at 1, an item of 679 destroyed
// mostly at 0: the strip of the pass's first rows spans a third of the
// budgets, that of its rows four and sixteen times as far a hundredth and
// far less. The pass goes on until its strip is close, and the budgets it
// does not reach are within the tolerance.
TEST(JourneyBudgetTest, TheStripsPassGoesOnUntilItIsClose) {
  ExpectBracketedByTheRecursion(
      Priced({Fractions(0.0002, 0.034, 0), Fractions(0.0285, 0.021, 0)}, {37, 2813}, 679), 1,
      "a dear attempt at 1 talik");
}

// From the count below the target the journey is a climb in one go, almost
// never lost: its 50 % budget is about its attempts at 38 each, some 700
// past the 2^21 rows of the exact lattice's pass for two counts. The strip
// of the pass's last rows is wide there, and nothing tightens it after (no
// item for the lives, and a coarser unit would be near the attempts' own
// costs); the budget lies past the pass's end, which keeps its bracket
// within the tolerance. The other levels are bracketed widely, and say so.
TEST(JourneyBudgetTest, ALevelJustPastThePassIsBracketedFromItsEnd) {
  const JourneySteps steps =
      Priced({Fractions(0.00001, 0, 0), Fractions(0.00001259, 0, 0.0000001)}, {29, 38}, 0);
  const Journey journey = PlanJourney(steps);
  const std::array<double, kPercentileCount> truth = LeastByRecursion(steps, 1);
  ASSERT_GT(truth[0], 0x1p21);
  ASSERT_LT(truth[0], 0x1p21 * (1 + kBudgetRelativeError / 2));
  const JourneyRow& row = journey.rows[1];
  for (int p = 0; p < kPercentileCount; ++p) {
    EXPECT_GE(row.budget_for[p], truth[p]) << p;
    EXPECT_LE((row.budget_for[p] - truth[p]) / truth[p], row.budget_relative_error[p]) << p;
  }
  EXPECT_GT(row.budget_relative_error[0], 0.0);
  EXPECT_LE(row.budget_relative_error[0], kBudgetRelativeError);
}

// Grade 8 at level 60 to 7 taliks on the example tables, no stones at 0
// taliks and 6666 above (attempts of 5 and 4005), an item of 3 10^6: about
// 2 000 items lost on the way, each life's cost fine on the lattice of 5.
// No exact pass is tried and no strip fits the item, so the lives have the
// work of the lives alone: every budget, the 99 % one too, is within the
// tolerance (from 13 %, 4 % and 3 % with the work left after a pass, and 3 %
// for the 99 % one with the work where the lives come first).
TEST(JourneyBudgetTest, WhereNoPassRanTheLivesHaveTheirWholeWork) {
  const std::vector<OutcomeOdds> odds = {
      {6340786920620032, 0, 0, 1146580717686226944},
      {363180192576831488, 74231055940321280, 204381591705308160, 511128664384386048},
      {265177852155002880, 110534487976181760, 274850457700926976, 502358706774735360},
      {190233765216256000, 149244803347906560, 332347840202009856, 481095095840674560},
      {138352029159391232, 188250195639664640, 382999793143332864, 443319486664458240},
      {97999432728969216, 227931160549785600, 428739062550098560, 398251848777993600},
      {69176272277733376, 267232100745216000, 468159445684761600, 348353685899136000}};
  const Journey journey =
      PlanJourney(Priced(odds, {5, 4005, 4005, 4005, 4005, 4005, 4005}, 3000000));
  for (int t = 0; t < 7; ++t) {
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      // Never below what the items lost alone cost.
      EXPECT_GE(row.budget_for[p], 3000000.0 * static_cast<double>(row.items_for[p])) << t << p;
      EXPECT_LE(row.budget_relative_error[p], kBudgetRelativeError) << t << p;
    }
  }
}

// An attempt of 7 among attempts of 10^5, with an item too dear for a
// strip: rounding every cost up to a coarser unit grows the cheap one by
// half again, so a pass rounding every cost down brackets the budgets from
// below. Within half a percent, not a hundred thousand times.
TEST(JourneyBudgetTest, ACheapAttemptAmongDearOnesIsBracketedFromBothSides) {
  const std::vector<OutcomeOdds> odds = {
      {13397066000629760, 0, 0, 1139524438606217216},
      {193115950264877056, 57410244339302400, 234631593054892800, 667763716947774720},
      {553415366542360576, 54154607198208000, 181739462800896000, 363612068065382400},
      {397769673040461824, 91259803863613440, 258481887494871872, 405410140207899840}};
  const JourneySteps steps = Priced(odds, {7, 16007, 256007, 256007}, 1000000);
  const Journey journey = PlanJourney(steps);
  for (const int t : {0, 3}) {
    const std::array<double, kPercentileCount> truth = LeastByRecursion(steps, t);
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      EXPECT_GE(row.budget_for[p], truth[p]) << t << " " << p;
      EXPECT_LE(row.budget_relative_error[p], 0.005) << t << " " << p;
      EXPECT_LE((row.budget_for[p] - truth[p]) / truth[p],
                row.budget_relative_error[p] * (1 + 1e-9))
          << t << " " << p;
    }
  }
}

// Attempts of 7 at 0 taliks among ones of 25 607, an item of 10^8 seldom
// destroyed: half the journeys end before an item is, their budgets some
// 10^5 against 99 % ones of 10^8. Those small levels get coarse passes of
// their own and are bracketed closely; below an item's price the truth is
// the same whatever it is.
TEST(JourneyBudgetTest, LevelsFarBelowTheOthersGetAUnitOfTheirOwn) {
  const std::vector<OutcomeOdds> odds = {Fractions(0.0116, 0, 0), Fractions(0.3, 0.02, 0.1),
                                         Fractions(0.25, 0.03, 0.1), Fractions(0.2, 0.05, 0.1)};
  const std::vector<double> costs = {7, 1607, 25607, 25607};
  constexpr double kBelow = 1000000;
  const JourneySteps steps = Priced(odds, costs, 1e8);
  const Journey journey = PlanJourney(steps);
  for (const int t : {0, 3}) {
    const double truth = LeastByRecursion(Priced(odds, costs, kBelow), t)[0];
    ASSERT_LT(truth, kBelow);
    const JourneyRow& row = journey.rows[t];
    EXPECT_GT(row.budget_for[2], 1e8) << t;
    EXPECT_GE(row.budget_for[0], truth) << t;
    EXPECT_LE(row.budget_relative_error[0], 0.005) << t;
    EXPECT_LE((row.budget_for[0] - truth) / truth, row.budget_relative_error[0] * (1 + 1e-9)) << t;
  }
}

// A journey of far more attempts than are counted still ends for sure: its
// budgets are large, never "never", whatever the item's price.
TEST(JourneyBudgetTest, AJourneyBeyondTheCountedAttemptsHasABudget) {
  std::vector<OutcomeOdds> odds;
  for (int t = 0; t < 7; ++t) {
    const std::uint64_t success = kAll >> 20, lost = kAll >> 4, destroyed = kAll >> 8;
    odds.push_back({success, destroyed, lost, kAll - success - destroyed - lost});
  }
  for (const double item : {0.0, 5000.0, 1e12}) {
    const Journey journey = PlanJourney(Priced(odds, {5, 7, 11}, item));
    ASSERT_EQ(journey.rows[0].attempts_for[0], kNever) << item;
    for (int t = 0; t < 7; ++t) {
      const JourneyRow& row = journey.rows[t];
      for (int p = 0; p < kPercentileCount; ++p) {
        EXPECT_TRUE(std::isfinite(row.budget_for[p])) << item << " " << t << " " << p;
        EXPECT_GT(row.budget_for[p], 1e30) << item << " " << t << " " << p;
        EXPECT_LE(row.budget_relative_error[p], 1.0) << item << " " << t << " " << p;
      }
    }
  }
}

// From 0 taliks the journey all but never ends (attempts of 5 that succeed
// once in 2^60, else stay); from 1 an attempt of 7 succeeds or destroys the
// item, as likely. No walk reaches the 90 % budget from either, yet from 1
// the 50 % budget is 7, exactly, and within a budget of 20 the chance is
// 1/2 from 1 and, from 0, that of reaching 1 talik within two attempts
// (12 or 17) and then succeeding: q (2 - q) / 2, q = 2^-60.
TEST(JourneyBudgetTest, ALevelSettledByTheFirstAttemptsIsExactWhereTheJourneyMayNeverEnd) {
  const OutcomeOdds rare{1, 0, 0, kAll - 1};
  const JourneySteps steps = Priced({rare, Odds(512, 512, 0)}, {5, 7}, 1e9, 20.0);
  const Journey journey = PlanJourney(steps);
  const JourneyRow& from_one = journey.rows[1];
  ASSERT_EQ(from_one.attempts_for[2], kNever);
  EXPECT_EQ(from_one.budget_for[0], 7.0);
  EXPECT_EQ(from_one.budget_relative_error[0], 0.0);
  EXPECT_EQ(from_one.reach_within_budget, 0.5);
  const double q = std::ldexp(1.0, -60);
  EXPECT_EQ(journey.rows[0].reach_within_budget, q * (2.0 - q) / 2.0);
  // The levels beyond, which no walk settles, keep a bracket.
  for (int t = 0; t < steps.target; ++t) {
    for (int p = 1; p < kPercentileCount; ++p)
      EXPECT_GT(journey.rows[t].budget_relative_error[p], 0.0) << t << p;
  }
}

// Where the walk of the longest journey, from 0 taliks, gives up, the first
// attempts of every count still settle what they can, exactly:
// - four nearly equal costs beside an item of 10^7: no walk from 0 reaches
//   its end, but from 6 half the journeys reach the target within a few
//   attempts and no item lost;
// - one cost beside a cheap item: the walk from 0 foretells more work than
//   it has, yet without its forecast it settles every level.
TEST(JourneyBudgetTest, WhereOneWalkGivesUpTheFirstAttemptsStillSettleWhatTheyCan) {
  const JourneySteps dear_item =
      Priced({Odds(400, 0, 100), Odds(300, 0, 150), Odds(250, 20, 150), Odds(200, 30, 200),
              Odds(180, 40, 150), Odds(150, 50, 150), Odds(500, 100, 50)},
             {10020, 10040, 10310, 10400}, 1e7);
  const Journey journey = PlanJourney(dear_item);
  EXPECT_GT(journey.rows[0].budget_relative_error[0], 0.0);
  EXPECT_EQ(journey.rows[6].budget_relative_error[0], 0.0);
  EXPECT_EQ(journey.rows[6].budget_for[0],
            LeastByWalking(SpentByWalking(dear_item, 6, 1e5), kPercentileLevels[0]));
  ExpectExactAgainstTheWalk(
      Priced({Odds(255, 0, 0), Odds(183, 46, 204), Odds(132, 76, 269)}, {2010100}, 1000),
      "one cost, a cheap item", 6e8);
}

// Free attempts at 0 taliks that only succeed or fail, succeeding 2 times in
// 2^60: the journey from there takes beyond the 2^62 attempts counted, so
// its tail of attempts is "never", yet the attempts cost nothing and lead
// to 1 talik for sure. Its budgets and the chance within the player's are
// those of the same journey with the free attempt's success certain, to the
// unit.
TEST(JourneyBudgetTest, FreeAttemptsBeyondTheCountedOnesAreCountedExactly) {
  const OutcomeOdds rare{2, 0, 0, kAll - 2};
  constexpr double kBudget = 300000;
  const JourneySteps slow =
      Priced({rare, Odds(500, 200, 100), Odds(600, 100, 50)}, {0, 7, 9}, 100003, kBudget);
  JourneySteps sure = slow;
  sure.odds[0] = Odds(1024, 0, 0);
  const Journey journey = PlanJourney(slow);
  ASSERT_EQ(journey.rows[0].attempts_for[2], kNever);
  for (int t = 0; t < slow.target; ++t) {
    double within = 0.0;
    const auto truth = LeastByRecursion(sure, t, kBudget, &within);
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      EXPECT_EQ(row.budget_for[p], truth[p]) << t << " " << p;
      EXPECT_EQ(row.budget_relative_error[p], 0.0) << t << " " << p;
    }
    EXPECT_NEAR(row.reach_within_budget, within, 1e-12) << t;
  }
}

// Every figure of a journey is a budget a player may spend by: a whole
// number at least what its items and its attempts alone take, with a bound
// that is a number at least 0, and the chance within the budget a chance.
void ExpectSoundFigures(const JourneySteps& steps, const char* what) {
  const Journey journey = PlanJourney(steps);
  const double cheapest =
      *std::min_element(steps.attempt_cost.begin(), steps.attempt_cost.begin() + steps.target);
  for (int t = 0; t < steps.target; ++t) {
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      const double budget = row.budget_for[p];
      ASSERT_TRUE(std::isfinite(budget)) << what << " " << t << " " << p;
      EXPECT_EQ(budget, std::floor(budget)) << what << " " << t << " " << p;
      EXPECT_GE(budget, steps.item_cost * static_cast<double>(row.items_for[p]))
          << what << " " << t << " " << p;
      EXPECT_GE(budget, cheapest * static_cast<double>(row.attempts_for[p]))
          << what << " " << t << " " << p;
      EXPECT_GE(row.budget_relative_error[p], 0.0) << what << " " << t << " " << p;
      if (p > 0) {
        EXPECT_GE(budget, row.budget_for[p - 1]) << what << " " << t << " " << p;
      }
    }
    EXPECT_GE(row.reach_within_budget, 0.0) << what << " " << t;
    EXPECT_LE(row.reach_within_budget, 1.0) << what << " " << t;
  }
}

// Long journeys at prices near 10^12 where the count below the target is
// likely to end at once: its levels come before the tail begins, where the
// tail's asymptotics would put the budget below 0. Found by fuzzing.
TEST(JourneyBudgetTest, ALevelBeforeTheTailKeepsAProvenBound) {
  const OutcomeOdds sure{kAll, 0, 0, 0};
  ExpectSoundFigures(
      Priced({sure,
              {740183196229959680, 344456619848105984, 38743940271473112, 29537748257308200},
              {740183196229959680, 0, 303268440270700544, 109469868106186752},
              sure,
              sure,
              sure},
             {530352667515, 641718643047, 641718643047, 613877149164, 558194161398, 530352667515},
             530345756235, 0),
      "short");
  ExpectSoundFigures(
      Priced({sure,
              {9246310821527552, 954470383436496896, 107357331506825478, 81847478841997050},
              {9246310821527552, 0, 840340198998081536, 303334994787237888},
              {16683093939191808, 1136238410667655168, 0, 0},
              {22136708120182784, 834078019137044480, 0, 296706777349619712},
              {357553763944235008, 291272365965312, 97055232946368, 794979413063700288}},
             {530352667515}, 530345756235, 0),
      "long");
}

// Free steps around one that costs 1, with a budget of 0: the free steps'
// solve cancels to a rounding's worth below 0, and a chance is never below
// 0. Found by fuzzing.
TEST(JourneyBudgetTest, TheChanceWithinABudgetOfFreeStepsIsAChance) {
  const JourneySteps steps =
      Priced({{74018319622995968, 900413983146770432, 178489201837080576, 0},
              {240560448234061824, 761423883319902208, 150937173052882944, 0},
              {740183196229959680, 4887160145575936, 407851148231311360, 0},
              {740183196229959680, 344456619848105984, 27535224371927376, 40746464156853936},
              {592153325852426240, 467997051525791744, 92771127228628992, 0},
              {374722534932742144, 649457007558524928, 128741962115579904, 0}},
             {0, 0, 0, 0, 1, 0}, 0, 0);
  const Journey journey = PlanJourney(steps);
  // Up to the count that costs 1 nothing is within 0; above it, only the
  // free success is.
  for (int t = 0; t < 5; ++t) EXPECT_EQ(journey.rows[t].reach_within_budget, 0.0) << t;
  EXPECT_NEAR(journey.rows[5].reach_within_budget, Share(steps.odds[5].success), 1e-12);
}

TEST(JourneyBudgetTest, ShownBudgetsAreRoundedUpToTheDigitsTheyHave) {
  EXPECT_EQ(ShownBudget(126320472.2, 126300000), 126400000.0);
  EXPECT_EQ(ShownBudget(1000.2, 1000), 1001.0);  // four digits would be 0.1 % above
  EXPECT_EQ(ShownBudget(99999999, 99990000), 100000000.0);
  EXPECT_EQ(ShownBudget(12, 11.99), 12.0);
  EXPECT_EQ(ShownBudget(0, 0), 0.0);
  // A bracket wider than the tolerance shows no more than the fewest digits.
  EXPECT_EQ(ShownBudget(11857766, 11400000), 11860000.0);
  for (const double upper : {1.5, 987.25, 12345678.9, 7.3e15}) {
    EXPECT_GE(ShownBudget(upper, upper * (1 - 1e-5)), std::ceil(upper));
    EXPECT_LE(ShownBudget(upper, upper * (1 - 1e-5)),
              std::ceil(upper * (1 + kBudgetRelativeError)));
  }
}

// Many attempts of 7 at 0 taliks among a few of 256 007: rounding every cost
// up and down to a coarse unit moves the two totals a unit an attempt
// apart. Each cost rounded at random to a neighbouring multiple of the unit,
// its mean kept, the rounded total strays from the true one only by about
// the root of the attempts' number, and every figure holds against the
// plain recursion within a bound far closer than the pair's (0.017).
TEST(JourneyBudgetTest, ManyCheapAttemptsAreRoundedAtRandomWithTheirMeanKept) {
  const std::vector<OutcomeOdds> odds = {Fractions(0.002, 0, 0), Fractions(0.4, 0.03, 0.1),
                                         Fractions(0.3, 0.05, 0.15)};
  const JourneySteps steps = Priced(odds, {7, 256007, 256007}, 100000);
  const Journey journey = PlanJourney(steps);
  for (const int t : {0, 2}) {
    const std::array<double, kPercentileCount> truth = LeastByRecursion(steps, t);
    const JourneyRow& row = journey.rows[t];
    for (int p = 0; p < kPercentileCount; ++p) {
      EXPECT_GE(row.budget_for[p], truth[p]) << t << " " << p;
      EXPECT_LE((row.budget_for[p] - truth[p]) / truth[p],
                row.budget_relative_error[p] * (1 + 1e-9))
          << t << " " << p;
      EXPECT_LE(row.budget_relative_error[p], 0.01) << t << " " << p;
    }
  }
}

// A count below one that cannot succeed is never passed on the way to the
// target: a loss there ends the journey. Its price, however dear, sizes no
// unit: the budgets from above it are those of a cheap one, exact.
TEST(JourneyBudgetTest, ACountTheTargetCannotBeReachedFromCostsNothing) {
  std::vector<OutcomeOdds> odds(6, Fractions(0, 0, 0));
  odds[0] = Fractions(0.00715, 0, 0);
  odds[3] = Fractions(0.00426, 0, 0);
  odds.push_back(Fractions(0.00328, 0, 0));
  const Journey dear = PlanJourney(Priced(odds, {1e12, 1e12, 1e12, 1e12, 1e12, 1e12, 20}, 0));
  const Journey cheap = PlanJourney(Priced(odds, {20}, 0));
  for (int p = 0; p < kPercentileCount; ++p) {
    EXPECT_EQ(dear.rows[6].budget_for[p], cheap.rows[6].budget_for[p]) << p;
    EXPECT_EQ(dear.rows[6].budget_relative_error[p], 0.0) << p;
  }
}

// ---- Against the lives in closed form ---------------------------------------

// P(at least k of m draws of chance q succeed), summed from the term next
// to k on the side away from the law's middle, where the terms fall.
double BinomialAtLeast(std::int64_t m, double q, std::int64_t k) {
  if (k <= 0) return 1.0;
  if (k > m) return 0.0;
  const auto term_at = [&](std::int64_t j) {
    const auto whole = [](std::int64_t v) { return static_cast<double>(v); };
    return std::exp(std::lgamma(whole(m) + 1.0) - std::lgamma(whole(j) + 1.0) -
                    std::lgamma(whole(m - j) + 1.0) + static_cast<double>(j) * std::log(q) +
                    static_cast<double>(m - j) * std::log1p(-q));
  };
  const double ratio = q / (1.0 - q);
  double sum = 0.0;
  if (static_cast<double>(k) >= std::floor(static_cast<double>(m + 1) * q)) {
    double term = term_at(k);
    for (std::int64_t j = k; j <= m && term > 1e-22 * sum; ++j) {
      sum += term;
      term *= static_cast<double>(m - j) / static_cast<double>(j + 1) * ratio;
    }
    return sum;
  }
  double term = term_at(k - 1);
  for (std::int64_t j = k - 1; j >= 0 && term > 1e-22 * sum; --j) {
    sum += term;
    term *= static_cast<double>(j) / static_cast<double>(m - j + 1) / ratio;
  }
  return 1.0 - sum;
}

// Two counts: at 0 taliks an attempt of `first` always succeeds; at 1 each
// attempt of `second` reaches the target with `success`, destroys the item
// with `destroyed` (the item's price paid, the next life from 0) and fails
// otherwise, staying there.
struct TwoCounts {
  double first, second, item;
  OutcomeOdds at_one;
};

JourneySteps StepsOf(const TwoCounts& j, double budget = -1.0) {
  return Priced({Fractions(1.0, 0.0, 0.0), j.at_one}, {j.first, j.second}, j.item, budget);
}

// P(spent <= x) from `start` by the lives: the items destroyed D are
// geometric, P(D = k) = r^k (1 - r) with r the share of destroyed among the
// attempts at 1 talik that leave it; the attempts there over the k + 1 lives
// are at most m exactly when m draws, each leaving with the chance
// success + destroyed, leave at least k + 1 times.
double WithinByLives(const TwoCounts& j, int start, double x) {
  const double success = Share(j.at_one.success);
  const double destroyed = Share(j.at_one.item_destroyed);
  const double leaving = success + destroyed;
  const double r = destroyed / leaving;
  double within = 0.0;
  double weight = 1.0 - r;
  for (std::int64_t k = 0; weight > 1e-30; ++k) {
    const double firsts = static_cast<double>(start == 0 ? k + 1 : k);
    const double left = x - j.first * firsts - j.item * static_cast<double>(k);
    if (left < 0.0) break;
    const auto m = static_cast<std::int64_t>(std::floor(left / j.second));
    within += weight * BinomialAtLeast(m, leaving, k + 1);
    weight *= r;
  }
  return within;
}

// The least whole budget with a chance of at least `level`.
double LeastByLives(const TwoCounts& j, int start, double level) {
  double below = 0.0, enough = 1e12;
  while (enough - below > 1.0) {
    const double middle = std::floor((below + enough) / 2.0);
    (WithinByLives(j, start, middle) >= level ? enough : below) = middle;
  }
  return enough;
}

// The lives in closed form are the journey: on a short one, the recursion
// over every unit gives the same budgets and the same chance.
TEST(JourneyBudgetTest, TheLivesInClosedFormAreTheRecursionsJourney) {
  const TwoCounts j{1, 16, 37, Fractions(0.05, 0.3, 0)};
  for (const int start : {0, 1}) {
    double within = 0.0;
    const auto truth = LeastByRecursion(StepsOf(j, 3000), start, 3000, &within);
    EXPECT_NEAR(WithinByLives(j, start, 3000), within, 1e-13) << start;
    for (int p = 0; p < kPercentileCount; ++p)
      EXPECT_EQ(LeastByLives(j, start, kPercentileLevels[p]), truth[p]) << start << " " << p;
  }
}

// An attempt of 1 among ones of 20 000 and an item of 499 999: from 0
// taliks every total is 20 000 A + 500 000 D + 1, one above a round figure,
// and the walk is rounded at random on a unit that divides 20 000 (125),
// each destroyed item's cost rounded up with a chance of all but one unit's
// share. A bracket whose upper end is short of a budget by even one shows a
// figure below it; a walk whose destroyed items cost a unit less, a chance
// within the budget above the true one.
TEST(JourneyBudgetTest, ARoundedWalksBracketsHoldWhereEveryTotalIsOneAboveARoundFigure) {
  const TwoCounts j{1, 20000, 499999, Fractions(0.005, 0.1, 0)};
  constexpr double kBudget = 5e7;
  const Journey journey = PlanJourney(StepsOf(j, kBudget));
  for (const int start : {0, 1}) {
    const JourneyRow& row = journey.rows[start];
    for (int p = 0; p < kPercentileCount; ++p) {
      const double truth = LeastByLives(j, start, kPercentileLevels[p]);
      EXPECT_GE(row.budget_for[p], truth) << start << " " << p;
      EXPECT_LE(row.budget_relative_error[p], 0.005) << start << " " << p;
      EXPECT_LE((row.budget_for[p] - truth) / truth, row.budget_relative_error[p] * (1 + 1e-9))
          << start << " " << p;
    }
    const double within = WithinByLives(j, start, kBudget);
    EXPECT_LE(row.reach_within_budget, within + 1e-12) << start;
    EXPECT_GT(row.reach_within_budget, within - 1e-3) << start;
  }
}

}  // namespace
