// The page's boundary, natively: one request of text in, one JSON object out.
#include "web/page_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Cells(const std::string& value) {
  std::string cells = value;
  for (int i = 1; i < 77; ++i) cells += "," + value;
  return cells;
}

std::string Tables() {
  return "&success=" + Cells("1000") + "&destroy=" + Cells("300") + "&downgrade=" + Cells("2000");
}

const std::string kSetUp = "attempts=3&grade=2&level=50&taliks=1&stones=3320&target=6";

bool Has(const std::string& json, const std::string& part) {
  return json.find(part) != std::string::npos;
}

TEST(PageApiTest, AWholeAnswerFromOneRequest) {
  const std::string answer = AnswerPageRequest(kSetUp + Tables());
  EXPECT_TRUE(Has(answer, "\"errors\":{}")) << answer;
  EXPECT_TRUE(Has(answer, "\"chance_line\":\"Шанс успеха = ")) << answer;
  EXPECT_TRUE(Has(answer, "\"table\":{\"cells\":[[")) << answer;
  EXPECT_TRUE(Has(answer, "\"plan\":{\"target\":6,\"priced\":false")) << answer;
  // The chart starts at the set-up's talik count.
  EXPECT_TRUE(Has(answer, "\"chart\":{\"start\":1,\"points\":[[1,")) << answer;
}

TEST(PageApiTest, ABadRequestIsAnErrorNeverAFallback) {
  EXPECT_EQ(AnswerPageRequest(kSetUp), "{\"error\":\"в запросе нет таблицы «success»\"}");
  EXPECT_EQ(AnswerPageRequest(kSetUp + "&colour=red" + Tables()),
            "{\"error\":\"в запросе неизвестный ключ «colour»\"}");
  EXPECT_EQ(AnswerPageRequest(kSetUp + "&level=4" + Tables()),
            "{\"error\":\"ключ «level» задан в запросе дважды\"}");
  EXPECT_TRUE(Has(AnswerPageRequest(kSetUp + "&view=chart" + Tables()), "нет такого вида"));
  const std::string short_table =
      kSetUp + "&success=1,2,3&destroy=" + Cells("0") + "&downgrade=" + Cells("0");
  EXPECT_TRUE(Has(AnswerPageRequest(short_table), "\"error\":\"в таблице «success» нужно 77"));
  EXPECT_TRUE(
      Has(AnswerPageRequest(kSetUp + Tables() + ",5"), "\"error\":\"в таблице «downgrade»"));
  EXPECT_TRUE(Has(ReadPageTable(3, ""), "\"error\":\"нет такой таблицы «3»"));
  EXPECT_TRUE(Has(ReadPageTable(-1, ""), "\"error\":\"нет такой таблицы «-1»"));
  // In the request's language, wherever lang= stands in it.
  EXPECT_EQ(AnswerPageRequest(kSetUp + "&colour=red&lang=en" + Tables()),
            "{\"error\":\"the request holds an unknown key «colour»\"}");
  EXPECT_TRUE(Has(AnswerPageRequest("lang=en&" + kSetUp), "the request holds no table"));
}

TEST(PageApiTest, EveryFigureAndWordInTheLanguageAsked) {
  const std::string english = AnswerPageRequest("lang=en&" + kSetUp + Tables());
  EXPECT_TRUE(Has(english, "\"chance_line\":\"Success chance = ")) << english;
  EXPECT_TRUE(Has(english, "\"label\":\"+ Upgrade succeeded\"")) << english;
  EXPECT_FALSE(Has(AnswerPageRequest(kSetUp + Tables()), "Success chance")) << english;
  const std::string wrong = AnswerPageRequest("lang=de&attempts=0&" + kSetUp.substr(11) + Tables());
  EXPECT_TRUE(Has(wrong, "\"lang\":\"язык — один из ru, en\"")) << wrong;
  const std::string field = AnswerPageRequest(
      "lang=en&attempts=3&grade=2&level=50&taliks=1&stones=3320&target=9" + Tables());
  EXPECT_TRUE(Has(field, "\"target\":\"from 1 to 7\"")) << field;
}

TEST(PageApiTest, WrongFieldsAreNamedAndWhatNeedsThemIsNull) {
  const std::string answer =
      AnswerPageRequest("attempts=3&grade=2&level=0&taliks=9&stones=33x0&target=8" + Tables());
  EXPECT_TRUE(Has(answer, "\"level\":\"от 1 до 65\"")) << answer;
  EXPECT_TRUE(Has(answer, "\"taliks\":\"от 0 до 6\"")) << answer;
  EXPECT_TRUE(Has(answer, "\"stone3\":\"от 0 до 6\"")) << answer;
  EXPECT_TRUE(Has(answer, "\"target\":\"от 1 до 7\"")) << answer;
  EXPECT_FALSE(Has(answer, "\"attempts\":\"")) << answer;
  EXPECT_TRUE(Has(answer, "\"set_up\":null,\"table\":null,\"plan\":null")) << answer;
  // Text that is no number, a sign too many, a value beyond 64 bits.
  for (const char* level : {"abc", "+-5", "5.0", "99999999999999999999999", "%4", "%35%30"}) {
    const std::string wrong = AnswerPageRequest("attempts=3&grade=2&level=" + std::string(level) +
                                                "&taliks=1&stones=3320&target=6" + Tables());
    EXPECT_EQ(Has(wrong, "\"level\":\"от 1 до 65\""), std::string(level) != "%35%30") << level;
  }
}

TEST(PageApiTest, StonesArePricedAllOrNone) {
  const std::string blank = AnswerPageRequest(kSetUp + "&prices=1,2,,,," + Tables());
  for (const char* field : {"p3", "p4", "p5", "p6"}) {
    EXPECT_TRUE(Has(blank, "\"" + std::string(field) + "\":\"нужна цена (0, если бесплатно)\""))
        << blank;
  }
  EXPECT_TRUE(Has(blank, "\"plan\":null")) << blank;
  const std::string priced =
      AnswerPageRequest(kSetUp + "&prices=1,2,0,0,0,0&item_price=100" + Tables());
  EXPECT_TRUE(Has(priced, "\"errors\":{}")) << priced;
  EXPECT_TRUE(Has(priced, "\"priced\":true")) << priced;
  EXPECT_TRUE(Has(AnswerPageRequest(kSetUp + "&prices=1,2,3,4,5,-6" + Tables()),
                  "\"p6\":\"от 0 до 1000000000000\""));
}

TEST(PageApiTest, TheSetUpAloneAnswersFirst) {
  const std::string quick = AnswerPageRequest("view=set_up&" + kSetUp + Tables());
  EXPECT_TRUE(Has(quick, "{\"errors\":{},\"set_up\":{\"chance_line\":\"Шанс успеха = ")) << quick;
  EXPECT_FALSE(Has(quick, "\"plan\"")) << quick;
  EXPECT_EQ(
      AnswerPageRequest("view=set_up&attempts=0&grade=2&level=50&taliks=1&stones=3320" + Tables()),
      "{\"errors\":{\"attempts\":\"от 1 до 100\"},\"set_up\":null}");
}

// The value of a stage's one member after "stage": its text up to the
// object's end.
std::string StageMember(const std::string& stage, const std::string& key) {
  const std::size_t at = stage.find("\"" + key + "\":");
  return at == std::string::npos
             ? ""
             : stage.substr(at + key.size() + 3, stage.size() - at - key.size() - 4);
}

TEST(PageApiTest, InStagesTheSameAnswerAsAtOnce) {
  const std::string prices = "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";
  std::vector<std::string> sent;
  const StageSink send = [&sent](const std::string& stage) { sent.push_back(stage); };
  const std::string last = AnswerPageRequest(kSetUp + prices + Tables(), &send);
  ASSERT_EQ(sent.size(), 4u);
  const std::string whole = AnswerPageRequest(kSetUp + prices + Tables());
  const std::string unpriced = AnswerPageRequest(kSetUp + Tables());
  EXPECT_EQ(sent[0], "{\"stage\":\"set_up\"," +
                         AnswerPageRequest("view=set_up&" + kSetUp + prices + Tables()).substr(1));
  EXPECT_TRUE(Has(sent[1], "{\"stage\":\"answer\",\"errors\":{},\"unpriced_plan\":{")) << sent[1];
  EXPECT_TRUE(Has(sent[1], ",\"priced\":true}")) << sent[1];
  // The table's stage: its table, and the grades' reach with the loss cells' heat.
  const std::string& table = sent[2];
  const std::size_t reach = table.find(",\"grade_reach\":");
  ASSERT_EQ(table.rfind("{\"stage\":\"table\",\"table\":", 0), 0u) << table;
  EXPECT_TRUE(Has(whole, table.substr(17, reach - 17) + ",\"plan\":")) << table;
  EXPECT_TRUE(Has(whole, table.substr(reach, table.size() - reach - 1) + "}")) << table;
  const std::string plan = StageMember(sent[3], "plan");
  EXPECT_TRUE(Has(whole, "\"plan\":" + plan + ",\"cheapest\":")) << sent[3];
  EXPECT_TRUE(Has(
      sent[1], "\"unpriced_plan\":" +
                   StageMember(unpriced.substr(0, unpriced.find(",\"cheapest\"")) + "}", "plan") +
                   ","));
  EXPECT_TRUE(Has(whole, "\"cheapest\":" + StageMember(last, "cheapest") + ",\"grade_reach\""))
      << last;
  // Without prices the table's stage is the last; a wrong price leaves the
  // journey without prices standing.
  sent.clear();
  const std::string alone = AnswerPageRequest(kSetUp + Tables(), &send);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(Has(sent[1], "\"priced\":false")) << sent[1];
  EXPECT_TRUE(Has(alone, "{\"stage\":\"table\",\"table\":{")) << alone;
  sent.clear();
  (void)AnswerPageRequest(kSetUp + "&prices=10,20" + Tables(), &send);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(Has(sent[1], "\"errors\":{\"p3\":")) << sent[1];
  EXPECT_TRUE(Has(sent[1], "\"unpriced_plan\":{\"target\":6,\"priced\":false")) << sent[1];
  // Any other request is answered at once, as without stages.
  sent.clear();
  EXPECT_EQ(AnswerPageRequest("view=simulate&seed=5&" + kSetUp + Tables(), &send),
            AnswerPageRequest("view=simulate&seed=5&" + kSetUp + Tables()));
  EXPECT_EQ(AnswerPageRequest(kSetUp, &send), AnswerPageRequest(kSetUp));
  EXPECT_TRUE(sent.empty());
}

// The player's budget is read as a price is, and its chance stands in each
// row of the plan; out of range it is a field's error and there is no plan.
TEST(PageApiTest, TheChanceWithinThePlayersBudget) {
  const std::string priced = kSetUp + "&prices=1,2,0,0,0,0&item_price=100" + Tables();
  const std::string within = AnswerPageRequest(priced + "&budget=40000");
  EXPECT_TRUE(Has(within, "\"errors\":{}")) << within;
  EXPECT_TRUE(Has(within, "\"budget\":40000")) << within;
  EXPECT_TRUE(Has(within, "\"reach_within_budget_exact\":true")) << within;
  EXPECT_FALSE(Has(within, "\"reach_within_budget\":\"\"")) << within;
  const std::string none = AnswerPageRequest(priced);
  EXPECT_TRUE(Has(none, "\"budget\":null")) << none;
  EXPECT_TRUE(Has(none, "\"reach_within_budget\":\"\"")) << none;
  for (const char* wrong : {"-1", "1000000000001", "1.5", "abc"}) {
    const std::string bad = AnswerPageRequest(priced + "&budget=" + wrong);
    EXPECT_TRUE(Has(bad, "\"budget\":\"от 0 до 1000000000000\"")) << wrong << bad;
    EXPECT_TRUE(Has(bad, "\"plan\":null")) << wrong << bad;
  }
}

TEST(PageApiTest, SimulationNeedsASeedAndReplaysIt) {
  const std::string request = "view=simulate&" + kSetUp + Tables();
  EXPECT_TRUE(Has(AnswerPageRequest(request), "\"seed\":\"от 0 до 4294967295\""));
  const std::string first = AnswerPageRequest(request + "&seed=1765188000");
  EXPECT_EQ(first, AnswerPageRequest(request + "&seed=1765188000"));
  EXPECT_TRUE(Has(first, "\"simulation\":{\"seed\":1765188000,\"lines\":\"Шанс успеха = "))
      << first;
}

TEST(PageApiTest, TablesAreWrittenAndCheckedAsTheProgramsDo) {
  const std::string file = AnswerPageRequest("view=ini_file&file=1&" + kSetUp + Tables());
  EXPECT_TRUE(
      Has(file, "{\"name\":\"DestroyProb.ini\",\"text\":\"[ItemGrade0]\\u000d\\nUpgradeLevel0=300"))
      << file;
  EXPECT_TRUE(
      Has(AnswerPageRequest("view=ini_file&file=3&" + kSetUp + Tables()), "нет такого файла «3»"));
  // A loaded file's findings are upgrade-odds --check's.
  const std::string read = ReadPageTable(0, "[ItemGrade 2]\n", true);
  EXPECT_TRUE(Has(read, "CustomSettings/SuccessProb.ini:1: раздел «[ItemGrade 2]» - не ItemGrade0"))
      << read;
  EXPECT_TRUE(Has(ReadPageTable(2, "", false), "\"finding\":\"missing_file\""));
  // In the language asked for.
  const std::string english = ReadPageTable(0, "[ItemGrade 2]\n", true, "en");
  EXPECT_TRUE(Has(english, "SuccessProb.ini:1: section “[ItemGrade 2]” is not ItemGrade0"))
      << english;
  EXPECT_TRUE(Has(ReadPageTable(3, "", true, "en"), "\"error\":\"no such table «3»"));
  // With their severity, counts, and each cell's error for the grid.
  EXPECT_TRUE(Has(read, "\"severity\":\"error\"")) << read;
  EXPECT_TRUE(Has(read,
                  "\"finding_counts\":{\"errors\":11,\"notes\":0,\"more\":0,\"more_text\":\"\","
                  "\"summary\":\"CustomSettings/SuccessProb.ini: 11 ошибок, 0 замечаний\"}"))
      << read;
  EXPECT_TRUE(
      Has(read, "\"cell_errors\":[\"CustomSettings/SuccessProb.ini: нет раздела [ItemGrade0]"));
  // Edited cells are checked as the file they would be written to, when asked.
  const std::string tables =
      "&success=" + Cells("1000") + "&destroy=" + Cells("12000") + "&downgrade=" + Cells("0");
  const std::string found = AnswerPageRequest("view=findings&" + kSetUp + tables);
  EXPECT_TRUE(
      Has(found, "DestroyProb.ini:2: значение 12000 UpgradeLevel0 в [ItemGrade0] - вне шкалы"))
      << found;
  const std::string answer = AnswerPageRequest(kSetUp + tables);
  EXPECT_FALSE(Has(answer, "table_findings")) << answer;
  EXPECT_TRUE(Has(answer, "\"grade_reach\":[\"")) << answer;
  // A file beyond what the page reads is refused, not read.
  EXPECT_TRUE(Has(ReadPageTable(0, std::string((16 << 20) + 1, ' ')), "\"error\""));
}

TEST(PageApiTest, PricedTheJourneyIsThePlayersStonesWithTheCheapestBeside) {
  const std::string prices = "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";
  const std::string answer = AnswerPageRequest(kSetUp + prices + Tables());
  EXPECT_TRUE(Has(answer,
                  "\"plan\":{\"target\":6,\"priced\":true,\"rows\":[{\"taliks\":0,"
                  "\"stones\":\"3320\""))
      << answer;
  EXPECT_TRUE(Has(answer, "\"cheapest\":{\"plan\":{\"target\":6,\"priced\":true")) << answer;
  EXPECT_TRUE(Has(answer, "\"budget_change\":\"")) << answer;
  EXPECT_TRUE(Has(AnswerPageRequest(kSetUp + Tables()), "\"cheapest\":null"));
  // Stones of one's own for each talik count.
  const std::string sets =
      AnswerPageRequest(kSetUp + "&stone_sets=0000,1111,2222,3333,4444,5555" + prices + Tables());
  EXPECT_TRUE(Has(sets, "{\"taliks\":5,\"stones\":\"5555\"")) << sets;
  EXPECT_TRUE(Has(AnswerPageRequest(kSetUp + "&stone_sets=0000,1111" + Tables()),
                  "\"stone_sets\":\"наборов 2, а нужно 6"));
  EXPECT_TRUE(Has(AnswerPageRequest(kSetUp + "&stone_sets=0000,11x1,2,3,4,5" + Tables()),
                  "\"stone_sets\":\"«11x1»: четыре цифры от 0 до 6\""));
}

TEST(PageApiTest, ALoadedFileIsEditedInPlace) {
  // Cell 0 of grade 0 from 7 to 1000, grade 10's last cell given anew; the
  // comment, the UTF-8 mark and the lone CRs stay, bytes above 127 travel
  // as characters of their number.
  const std::string file = "\xEF\xBB\xBF; \xD0\xB0\r[ItemGrade0]\rUpgradeLevel0=7\r";
  std::string cells = "1000";
  for (int i = 1; i < 77; ++i) cells += i == 76 ? ",5" : ",0";
  EXPECT_EQ(
      EditPageTable(1, file, cells),
      "{\"name\":\"DestroyProb.ini\",\"bytes\":\"\u00ef\u00bb\u00bf; \u00d0\u00b0\\u000d"
      "[ItemGrade0]\\u000dUpgradeLevel0=1000\\u000d[ItemGrade10]\\u000dUpgradeLevel6=5\\u000d\","
      "\"kept_layout\":true}");
  EXPECT_TRUE(Has(EditPageTable(1, file, "1,2"), "\"error\""));
  EXPECT_TRUE(Has(EditPageTable(3, file, cells), "\"error\""));
}

TEST(PageApiTest, FactsComeFromTheModel) {
  const std::string facts = PageFacts();
  EXPECT_TRUE(Has(facts, "\"level\":[1,65]"));
  EXPECT_TRUE(Has(facts, "\"percentile_levels\":[0.5,0.9,0.99]"));
  EXPECT_TRUE(Has(facts, "\"stone_labels\":[\"Без камня\",\"Т1\""));
  EXPECT_TRUE(Has(ReadPageTable(0, "[ItemGrade0]\nUpgradeLevel1=0x64\n"), "\"cells\":[0,100,0,"));
}

}  // namespace
