// The text, the CSV and the page's data written from one result: every
// figure they share must read the same in all three.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "results/csv_writer.h"
#include "results/figures.h"
#include "results/page_data.h"
#include "results/text_writer.h"
#include "results/views.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// The characters of UTF-8 text: its bytes but those that continue one.
std::size_t Utf8Length(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A plan of two steps whose figures all differ, so that a figure written in
// the wrong column shows.
PlanView TwoStepPlan(bool priced) {
  PlanView view{};
  view.request.item_grade = 7;
  view.request.item_level = 13;
  view.request.target = 2;
  if (priced) view.request.prices = Prices{};
  view.plan.stones = {StoneTiers{1, 5, 0, 6}, StoneTiers{2, 2, 3, 0}};
  view.plan.steps.target = 2;
  const std::uint64_t unit = kOutcomeOddsDenominator >> 10;
  view.plan.steps.odds[0] = {100 * unit, 30 * unit, 20 * unit, 874 * unit};
  view.plan.steps.odds[1] = {50 * unit, 60 * unit, 10 * unit, 904 * unit};
  view.success_share = {100.0 / 1024, 50.0 / 1024};
  view.set_ups[0] = {17.125f, 11111, 222, 333};
  view.set_ups[1] = {5.125f, 4444, 555, 666};
  view.plan.journey.target = 2;
  view.plan.journey.rows[0] = {
      0.123456789, 45.678901,       1234.5678, 9.87654321, 98765.4321, {111, 2222, 33333},
      {1, 2, 3},   {100, 200, 300}, {0, 0, 0}, 0.25,       true};
  view.plan.journey.rows[1] = {0.5,       7.25,
                               1999999.0, 0.001234,
                               7654321.0, {44, 1234567, 7777777},
                               {4, 5, 6}, {400, 500, 600},
                               {0, 0, 0}, 0.75,
                               true};
  view.plan.expected_stones[0] = {0, 1.5, 0, 0, 0, 2.5, 3.5};
  view.plan.expected_stones[1] = {0, 10, 20, 30, 40, 50, 60};
  return view;
}

TEST(WritersTest, EveryFieldOfAPlanThroughTextCsvAndPageData) {
  const PlanView view = TwoStepPlan(true);
  const std::vector<std::string> csv = Split(PlanCsv(view), '\n');
  const std::vector<std::string> text = Split(PlanText(view, Language::kRussian), '\n');
  const std::string data = PlanData(view, JourneyChart{0, {}}, Language::kRussian);
  ASSERT_EQ(csv.size(), 4u);  // a header, two rows and the last line break
  EXPECT_EQ(csv[1],
            "0,6510,17.125,11111,0.09765625,0.029296875,0.01953125,0.853515625,"
            "0.12345678900000000,45.678901000000003,1234.5678000000000,9.8765432099999995,"
            "111,2222,33333,98765.432100000005,1,2,3,100,200,300,"
            "1.5000000000000000,0,0,0,2.5000000000000000,3.5000000000000000,0,");
  EXPECT_EQ(Split(csv[2], ',')[1], "3220");
  EXPECT_EQ(Split(csv[2], ',')[14], "7777777");
  // The human rows: Т, stones, success %, reach %, attempts, with new items,
  // items, for 90 %, cost.
  EXPECT_EQ(text[5], " 0  6510   9.766    12.35    45.68      1235    9.877      2222       98765");
  EXPECT_EQ(text[6], " 1  3220   4.883    50.00    7.250  2.00e+06   0.0012  1.23e+06     7654321");
  for (const char* field : {"\"stones\":\"6510\"", "\"success\":\"9.766\"", "\"reach\":\"12.35\"",
                            "\"attempts\":\"45.68\"", "\"attempts_with_new_items\":\"1235\"",
                            "\"items_destroyed\":\"9.877\"",
                            "\"attempts_for\":[\"111\",\"2222\",\"33\xC2\xA0"
                            "333\"]",
                            "\"cost\":\"98\xC2\xA0"
                            "765\"",
                            "\"stones\":\"3220\"",
                            // Counts with every digit; an expectation
                            // rounded to its digits, marked.
                            "\"attempts_for\":[\"44\",\"1\xC2\xA0"
                            "234\xC2\xA0"
                            "567\",\"7\xC2\xA0"
                            "777\xC2\xA0"
                            "777\"]",
                            "\"attempts_with_new_items\":\"≈2\xC2\xA0"
                            "000\xC2\xA0"
                            "000\"",
                            "\"reach_percent\":\"12\u00a0%\""}) {
    EXPECT_NE(data.find(field), std::string::npos) << field << " in " << data;
  }
  EXPECT_NE(data.find("\"csv\":\"talik_count,stones,"), std::string::npos);
  // The second block: items and budget for 90 %, and the stones to stock.
  EXPECT_EQ(text[9], " 0                   2               200");
  EXPECT_EQ(text[10], " 1                   5               500");
  EXPECT_EQ(text[12], "Камни в запас на путь от 0 талик, в среднем*: Т1 1.500, Т5 2.500, Т6 3.500");
}

// A rounded budget is marked in the text and the page and keeps its bound in
// the CSV; the chance within the player's budget is a column, a last field
// and a page figure, marked where it is a lower bound.
TEST(WritersTest, RoundedBudgetsAndTheChanceWithinABudget) {
  PlanView view = TwoStepPlan(true);
  view.request.budget = 40000;
  view.plan.journey.rows[0].budget_for = {1000, 12350000, 98770000};
  view.plan.journey.rows[0].budget_relative_error = {0, 2.5e-4, 0.001};
  view.plan.journey.rows[0].reach_within_budget = 0.375;
  view.plan.journey.rows[0].reach_within_budget_exact = false;
  const std::vector<std::string> csv = Split(PlanCsv(view), '\n');
  const std::vector<std::string> first = Split(csv[1], ',');
  const std::vector<std::string> second = Split(csv[2], ',');
  ASSERT_EQ(first.size(), 30u);
  EXPECT_EQ(Split(csv[0], ',')[28], "budget_rel_error");
  EXPECT_EQ(Split(csv[0], ',')[29], "reach_within_budget");
  EXPECT_EQ(first[20], "12350000");               // whole numbers, unmarked
  EXPECT_EQ(first[28], "0.0010000000000000000");  // the largest of the row's bounds
  EXPECT_EQ(first[29], "0.37500000000000000");
  EXPECT_EQ(second[28], "0");
  EXPECT_EQ(second[29], "0.75000000000000000");
  const std::vector<std::string> text = Split(PlanText(view, Language::kRussian), '\n');
  EXPECT_EQ(text[8], " Т  Предметов для 90%*   Бюджет для 90%*  Шанс в бюджете*");
  EXPECT_EQ(text[9], " 0                   2         ≈12350000            ≥37.5");
  EXPECT_EQ(text[10], " 1                   5               500               75");
  const std::string all = PlanText(view, Language::kRussian);
  EXPECT_NE(all.find("\n≈ - бюджет округлён вверх"), std::string::npos);
  EXPECT_NE(all.find("потратив не больше 40000,\n  с новыми предметами\n≥ - не меньше этого\n"),
            std::string::npos);
  // Its legend, a rounded budget's and the budget's lines too, within 80
  // columns in either language.
  for (const Language language : {Language::kRussian, Language::kEnglish}) {
    for (const std::string& line : Split(PlanText(view, language), '\n'))
      EXPECT_LE(Utf8Length(line), 80u) << line;
  }
  const std::string data = PlanData(view, JourneyChart{0, {}}, Language::kRussian);
  for (const char* field :
       {"\"budget_for\":[\"1000\",\"≈12\xC2\xA0"
        "350\xC2\xA0"
        "000\",\"≈98\xC2\xA0"
        "770\xC2\xA0"
        "000\"]",
        "\"budget_rounded\":[false,true,true]", "\"budget_relative_error\":[0,0.00025,0.001]",
        "\"reach_within_budget\":\"37.5\u00a0%\"", "\"reach_within_budget_exact\":false",
        "\"reach_within_budget\":\"75\u00a0%\"", "\"reach_within_budget_exact\":true",
        "\"budget\":40000"}) {
    EXPECT_NE(data.find(field), std::string::npos) << field << " in " << data;
  }
  // Without a budget of the player's the column and the field stay empty.
  view.request.budget.reset();
  EXPECT_EQ(Split(Split(PlanCsv(view), '\n')[1], ',')[29], "");
  EXPECT_EQ(PlanText(view, Language::kRussian).find("Шанс в бюджете"), std::string::npos);
  EXPECT_NE(PlanData(view, JourneyChart{0, {}}, Language::kRussian).find("\"budget\":null"),
            std::string::npos);
}

// The legend of the rounded budgets says how far above the exact ones the
// shown ones (the 90 % level's) may be: slightly, at most the largest bound
// rounded up, or by how much not known; the other levels' bounds, the CSV's
// only, do not count.
TEST(WritersTest, TheRoundedBudgetsLegendSaysHowFarAboveTheyMayBe) {
  PlanView view = TwoStepPlan(true);
  view.plan.journey.rows[0].budget_for = {1000, 12350000, 98770000};
  view.plan.journey.rows[1].budget_for = {1000, 12350000, kInf};
  // The legend's lines: the last, from the mark at a line's start.
  const auto lines_fit = [&view] {
    for (const Language language : {Language::kRussian, Language::kEnglish}) {
      for (const std::string& line : Split(PlanText(view, language), '\n'))
        EXPECT_LE(Utf8Length(line), 80u) << line;
    }
  };
  const auto legend = [&view](Language language) {
    const std::string text = PlanText(view, language);
    return text.substr(text.find("\n≈ ") + 1);
  };
  const auto page = [&view](Language language) {
    const std::string data = PlanData(view, JourneyChart{0, {}}, language);
    const std::size_t at = data.find("\"rounded_legend\":\"") + 18;
    return data.substr(at, data.find('"', at) - at);
  };
  view.plan.journey.rows[0].budget_relative_error = {0.5, 0.001, 0.2};
  view.plan.journey.rows[1].budget_relative_error = {0.3, 2.5e-4, kInf};
  EXPECT_EQ(legend(Language::kRussian),
            "≈ - бюджет округлён вверх до известных цифр: его хватит, он лишь\n  немного больше "
            "точного\n");
  EXPECT_EQ(page(Language::kRussian),
            "«≈» — бюджет округлён вверх: его хватит наверняка, и он лишь немного больше точного.");
  EXPECT_EQ(Split(Split(PlanCsv(view), '\n')[1], ',')[28], "0.50000000000000000");
  view.plan.journey.rows[1].budget_relative_error[1] = 0.0321285;
  EXPECT_EQ(
      legend(Language::kRussian),
      "≈ - бюджет округлён вверх до известных цифр: его хватит, он больше\n  точного не более "
      "чем на 3.3 %\n");
  EXPECT_EQ(
      legend(Language::kEnglish),
      "≈ the budget is rounded up to the digits known: it suffices, at most\n  3.3 % more than "
      "the exact one\n");
  EXPECT_EQ(
      page(Language::kRussian),
      "«≈» — бюджет округлён вверх: его хватит наверняка, и он больше точного не более чем на "
      "3.3\u00a0%.");
  EXPECT_EQ(page(Language::kEnglish),
            "“≈”: the budget is rounded up: it surely suffices, at most 3.3\u00a0% more than the "
            "exact one.");
  lines_fit();
  view.plan.journey.rows[0].budget_relative_error[1] = kInf;
  EXPECT_EQ(legend(Language::kRussian),
            "≈ - бюджет округлён вверх до известных цифр: его хватит, но насколько\n  он больше "
            "точного, неизвестно\n");
  EXPECT_EQ(legend(Language::kEnglish),
            "≈ the budget is rounded up to the digits known: it suffices, though how\n  much more "
            "than the exact one is not known\n");
  EXPECT_EQ(page(Language::kRussian),
            "«≈» — бюджет округлён вверх: его хватит наверняка, но насколько он больше точного, "
            "неизвестно.");
  lines_fit();
  // Exact budgets shown, and a plan without prices: no legend.
  view.plan.journey.rows[0].budget_relative_error = {0.5, 0.0, 0.2};
  view.plan.journey.rows[1].budget_relative_error = {0.3, 0.0, kInf};
  EXPECT_EQ(PlanText(view, Language::kRussian).find("округлён"), std::string::npos);
  EXPECT_EQ(page(Language::kRussian), "");
  view.plan.journey.rows[0].budget_relative_error[1] = 0.2;
  view.request.prices.reset();
  EXPECT_EQ(PlanText(view, Language::kRussian).find("округлён"), std::string::npos);
  EXPECT_EQ(page(Language::kRussian), "");
}

TEST(WritersTest, NeverInEveryFigure) {
  PlanView view = TwoStepPlan(true);
  view.plan.journey.rows[1] = {0.0,
                               kInf,
                               kInf,
                               kInf,
                               kInf,
                               {kNever, kNever, kNever},
                               {kNever, kNever, kNever},
                               {kInf, kInf, kInf},
                               {0, 0, 0},
                               0.0,
                               true};
  view.plan.expected_stones[1].fill(kInf);
  const std::vector<std::string> fields = Split(Split(PlanCsv(view), '\n')[2], ',');
  ASSERT_EQ(fields.size(), 30u);
  for (int i = 9; i < 28; ++i) EXPECT_EQ(fields[i], "") << i;
  EXPECT_EQ(fields[8], "0");
  const std::string row = Split(PlanText(view, Language::kRussian), '\n')[6];
  std::size_t nevers = 0;
  for (std::size_t at = row.find("никогда"); at != std::string::npos;
       at = row.find("никогда", at + 1))
    ++nevers;
  EXPECT_EQ(nevers, 5u) << row;  // attempts, with new items, items, for 90 %, cost
  const std::string data = PlanData(view, JourneyChart{1, {}}, Language::kRussian);
  EXPECT_NE(data.find("\"attempts\":\"никогда\",\"attempts_with_new_items\":\"никогда\","
                      "\"items_destroyed\":\"никогда\",\"attempts_for\":[\"никогда\",\"никогда\","
                      "\"никогда\"],\"cost\":\"никогда\","
                      "\"items_for\":[\"никогда\",\"никогда\",\"никогда\"],"
                      "\"budget_for\":[\"никогда\",\"никогда\",\"никогда\"]"),
            std::string::npos)
      << data;
  EXPECT_NE(data.find("\"marks\":[{\"level\":0.5,\"attempts\":null,\"label\":\"никогда\"}"),
            std::string::npos)
      << data;
}

TEST(WritersTest, WithoutPricesNoCostIsWritten) {
  const PlanView view = TwoStepPlan(false);
  const std::vector<std::string> fields = Split(Split(PlanCsv(view), '\n')[1], ',');
  for (const int i : {15, 19, 20, 21}) EXPECT_EQ(fields[i], "") << i;  // the cost and budgets
  EXPECT_EQ(Split(PlanText(view, Language::kRussian), '\n')[3].find("Цена"), std::string::npos);
  EXPECT_NE(PlanData(view, JourneyChart{0, {}}, Language::kRussian).find("\"cost\":\"\""),
            std::string::npos);
}

TEST(WritersTest, SetUpRiskLinesArePercents) {
  ProbabilityTables tables{};
  tables.success_prob.entry[2][1] = 100;
  tables.destroy_prob.entry[2][1] = 2500;
  tables.downgrade_prob.entry[2][1] = 5000;
  UpgradeRequest request;
  request.attempt_count = 3;
  request.item_grade = 2;
  request.item_level = 50;
  request.talik_count = 1;
  request.stone_tiers = {3, 3, 2, 0};
  const SetUpView view = MakeSetUpView(tables, request);
  const std::string text = SetUpText(view, Language::kRussian);
  const double destroyed = 100 * view.item_destroyed_within;
  ASSERT_GT(destroyed, 1.0);
  EXPECT_NE(text.find("\n  Предмет уничтожен" + std::string(13, ' ') +
                      PadLeft(FixedDecimals(destroyed, 4), 9) + " %\n"),
            std::string::npos)
      << text;
  const std::string data = SetUpData(view, Language::kRussian);
  EXPECT_EQ(data.find("\"chance_line\":\"Шанс успеха = " + std::to_string(view.shown_percent) +
                      " %\",\"report\":\"Шанс успеха на 100000: "),
            1u)
      << data;
}

TEST(WritersTest, TableCellsAreTheSameInEveryWriter) {
  ProbabilityTables tables{};
  for (int g = 0; g < kItemGradeCount; ++g) {
    for (int t = 0; t < kUpgradeLevelCount; ++t)
      tables.success_prob.entry[g][t] = 37 * g + 5 * t + 1;
  }
  const TableView view = MakeTableView(tables, 33, {6, 5, 0, 1});
  const std::vector<std::string> text = Split(TableText(view, Language::kRussian), '\n');
  const std::string data = TableData(view);
  const std::vector<std::string> csv = Split(TableCsv(view), '\n');
  EXPECT_EQ(csv.size(), 2u + kItemGradeCount * kUpgradeLevelCount);
  const std::string last = TableCellText(view.cells[10][6].success_share);
  EXPECT_EQ(text[12].substr(text[12].size() - last.size()), last);
  EXPECT_NE(data.find("\"" + last + "\"]]"), std::string::npos);
  EXPECT_EQ(Split(csv[1 + 10 * kUpgradeLevelCount + 6], ',')[2],
            std::to_string(view.cells[10][6].chance));
}

TEST(FiguresTest, CompactKeepsFourSignificantDigits) {
  EXPECT_EQ(Compact(0.123456), "0.1235");
  EXPECT_EQ(Compact(12.3456), "12.35");
  EXPECT_EQ(Compact(123456.0), "123456");
  EXPECT_EQ(Compact(1234567.0), "1.23e+06");
  EXPECT_EQ(Compact(0.0001234), "1.23e-04");
  EXPECT_EQ(FigureText(kInf, Language::kRussian), "никогда");
  EXPECT_EQ(AttemptsText(999999, Language::kRussian), "999999");
  EXPECT_EQ(AttemptsText(kNever, Language::kRussian), "никогда");
  EXPECT_EQ(StoneDigits({0, 6, 3, 6}), "6630");
  // A no-break space keeps a figure and its sign together.
  EXPECT_EQ(PercentText(0.000216), "0.022\u00a0%");
  EXPECT_EQ(PercentText(0.13252), "13\u00a0%");
  EXPECT_EQ(PercentText(0.99999), "99.999\u00a0%");
  EXPECT_EQ(PercentText(0.0), "0\u00a0%");
  // A chance that is a promise is rounded down, never up, even to its last
  // digit; a cost is a whole number at every size.
  EXPECT_EQ(PercentAtLeast(0.02755), "2.75");
  EXPECT_EQ(PercentAtLeast(0.027599999), "2.75");
  EXPECT_EQ(PercentAtLeast(0.99999), "99.9");
  EXPECT_EQ(PercentAtLeast(0.5), "50");
  EXPECT_EQ(PercentAtLeast(0.00021659), "0.0216");
  EXPECT_EQ(PercentAtLeast(1.0), "100");
  EXPECT_EQ(PercentAtLeast(0.0), "0");
  // A bound that is a promise is rounded up, never down, the double's own
  // digits counted: the double 0.013 is a little below 1.3 %, 0.012 a little
  // above 1.2 % and 0.001 above 0.1 %.
  EXPECT_EQ(PercentAtMost(0.017774313007848642), "1.8");
  EXPECT_EQ(PercentAtMost(0.11538873006768254), "12");
  EXPECT_EQ(PercentAtMost(0.00101), "0.11");
  EXPECT_EQ(PercentAtMost(0.013), "1.3");
  EXPECT_EQ(PercentAtMost(0.012), "1.3");
  EXPECT_EQ(PercentAtMost(0.001), "0.11");
  EXPECT_EQ(PercentAtMost(0.0995), "10");
  EXPECT_EQ(PercentAtMost(0.5), "50");
  EXPECT_EQ(PercentAtMost(1.234), "124");
  EXPECT_EQ(PercentAtMost(9.995), "1000");
  EXPECT_EQ(PercentAtMost(0.0), "0");
  EXPECT_EQ(CostText(5002665.7, Language::kRussian), "5002666");
  EXPECT_EQ(CostText(3.5e15, Language::kRussian), "3500000000000000");
  EXPECT_EQ(CostText(kInf, Language::kRussian), "никогда");
  // Beyond 2^53 the digits a double holds, not its binary expansion's noise.
  EXPECT_EQ(WholeDigits(8.39e27), "8390000000000000000000000000");
  EXPECT_EQ(WholeDigits(0x1p53), "9007199254740992");
  EXPECT_EQ(WholeDigits(0x1p53 + 2), "9007199254740994");
  EXPECT_EQ(WholeDigits(1.7e20), "170000000000000000000");
  EXPECT_EQ(ShortestDouble(0.1), "0.1");
  // The page's spelling of the same figures.
  const std::string nbsp = "\xC2\xA0";
  EXPECT_EQ(GroupedFigure("1235"), "1235");
  EXPECT_EQ(GroupedFigure("12345"), "12" + nbsp + "345");
  EXPECT_EQ(GroupedFigure("123456.5"), "123" + nbsp + "456.5");
  EXPECT_EQ(GroupedFigure("4.61e+06"), "≈4" + nbsp + "610" + nbsp + "000");
  EXPECT_EQ(GroupedFigure("1.23e-04"), "0.000123");
  EXPECT_EQ(GroupedFigure("-1.50e+07"), "≈-15" + nbsp + "000" + nbsp + "000");
  EXPECT_EQ(GroupedFigure("никогда"), "никогда");
  EXPECT_EQ(GroupedFigure("never"), "never");
  EXPECT_EQ(ShortestDouble(kInf), "null");
}

}  // namespace
