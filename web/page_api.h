// What the page asks of the module, as plain C++ over text: the page sends
// its whole state as one request in the form of its address
// (attempts=3&grade=2&...&success=77 cells&...) and gets one JSON object
// back. Nothing is kept between calls: the tables come with every request.
#ifndef UPGRADE_SIM_WEB_PAGE_API_H_
#define UPGRADE_SIM_WEB_PAGE_API_H_

#include <functional>
#include <string>
#include <string_view>

/// The ranges, names, labels and levels the page shows and checks, and the
/// example tables' cells.
std::string PageFacts();

/// One table read from the bytes of its INI file (which: 0 SuccessProb,
/// 1 DestroyProb, 2 DowngradeProb) by the programs' own reader, found false
/// where there is no file: {"cells":[77 numbers, grade by grade],
/// "findings":[the first 100 of what upgrade-odds --check finds, each
/// {"line", "finding", "severity" (error or note), "row", "column", "text"}],
/// "finding_counts":{"errors", "notes", "more" (not listed), "more_text"
/// ("FILE: и ещё N (всего M)" or ""), "summary" ("FILE: 3 ошибки, 77
/// замечаний" or "")}, "cell_errors":[77 texts, grade by grade, of the first
/// error about each cell, "" where none]}, or {"error":...} for an unknown
/// table. Its words are in the language of language_code (ru, en; any
/// other: ru).
std::string ReadPageTable(int which, std::string_view bytes, bool found = true,
                          std::string_view language_code = "ru");

/// A loaded INI file (which as above) with the cells that differ from what
/// it reads changed in place, and nothing else: its comments, blank lines,
/// order, line ends and encoding kept; cells are 77 comma-separated whole
/// numbers, grade by grade. {"name":"SuccessProb.ini", "bytes":the file,
/// each byte as the character of its number (U+0000 to U+00FF),
/// "kept_layout":false where it had to be written anew}, or {"error":...}.
std::string EditPageTable(int which, std::string_view bytes, std::string_view cells);

/// The answer to one request: with view=page (or no view) the set-up, the
/// table and the journey, each null where a field it needs is wrong; with
/// view=simulate the simulator's lines for the seed, with view=journey_run
/// one journey played out over them, with view=ini_file&file=W table W as
/// the INI file to download. "errors" names every
/// wrong field with what it must be. A request that is not one (an unknown
/// key, a missing table, a table of the wrong size) gives {"error":...}.
std::string AnswerPageRequest(std::string_view request);

/// Takes each stage of a staged answer as it is ready.
using StageSink = std::function<void(const std::string& stage)>;

/// The same answer, a view=page one (or one of no view) in the stages the
/// page draws as they come, each an object with its "stage": "set_up"
/// {"errors" of the set-up, "set_up"}; "answer" {"errors", "unpriced_plan"
/// (the journey's without its prices, null where a field it needs is
/// wrong), "priced" (whether the priced journey follows)}; "table"
/// {"table", "grade_reach", "loss_heat"}; with prices "journey" {"plan"}
/// and "cheapest" {"cheapest"}. Each stage but the last goes to send, the last
/// is returned; any other request's answer is returned alone.
std::string AnswerPageRequest(std::string_view request, const StageSink* send);

#endif  // UPGRADE_SIM_WEB_PAGE_API_H_
