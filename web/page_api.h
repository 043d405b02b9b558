// What the page asks of the module, as plain C++ over text: the page sends
// its whole state as one request in the form of its address
// (attempts=3&grade=2&...&success=77 cells&...) and gets one JSON object
// back. Nothing is kept between calls: the tables come with every request.
#ifndef UPGRADE_SIM_WEB_PAGE_API_H_
#define UPGRADE_SIM_WEB_PAGE_API_H_

#include <string>
#include <string_view>

/// The ranges, names, labels and levels the page shows and checks, and the
/// example tables' cells.
std::string PageFacts();

/// One table read from the bytes of its INI file (which: 0 SuccessProb,
/// 1 DestroyProb, 2 DowngradeProb) by the programs' own reader, found false
/// where there is no file: {"cells":[77 numbers, grade by grade],
/// "findings":[what upgrade-odds --check finds]}, or {"error":...} for an
/// unknown table.
std::string ReadPageTable(int which, std::string_view bytes, bool found = true);

/// The answer to one request: with view=page (or no view) the set-up, the
/// table and the journey, each null where a field it needs is wrong; with
/// view=simulate the simulator's lines for the seed, with view=journey_run
/// one journey played out over them, with view=ini_file&file=W table W as
/// the INI file to download. "errors" names every
/// wrong field with what it must be. A request that is not one (an unknown
/// key, a missing table, a table of the wrong size) gives {"error":...}.
std::string AnswerPageRequest(std::string_view request);

#endif  // UPGRADE_SIM_WEB_PAGE_API_H_
