#include "odds/odds_report.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "model/probability_tables.h"
#include "model/upgrade_request.h"
#include "odds/command_line.h"
#include "platform/console.h"
#include "platform/key_press.h"
#include "platform/probability_files.h"
#include "platform/regular_file.h"
#include "results/csv_writer.h"
#include "results/table_check.h"
#include "results/text_writer.h"
#include "results/texts.h"
#include "results/views.h"

#ifndef UPGRADE_SIM_VERSION
#define UPGRADE_SIM_VERSION "unknown"
#endif

namespace {

// The simulator must stay silent about missing tables; we say which file
// was not read, and why, so that a report of zeros is not taken for the
// truth.
void ReportUnreadFiles(const TableFilesRead& read, Language language) {
  for (std::size_t i = 0; i < read.size(); ++i) {
    const FileOpening& opening = read[i];
    if (opening.state == FileState::kRead) continue;
    const OddsText why = opening.state == FileState::kNotAFile     ? OddsText::kNotAFile
                         : opening.state == FileState::kUnreadable ? OddsText::kUnreadableFile
                                                                   : OddsText::kMissingFile;
    WriteErrorText(
        "upgrade-odds: " +
        Say(language, why, {kProbabilityFilePaths[i], WorkingDirectory(), opening.reason}) + "\n");
  }
}

int Finish(const std::string& text) {
  WriteText(text);
  return FlushOutput() ? kReportWritten : kReportCutShort;
}

// Every finding in the three files, read as every other form reads them,
// each file's written as soon as it is read; the counts last.
int Check(bool csv, Language language) {
  bool any = false, errors = false;
  std::string summary;
  for (int table = 0; table < kProbabilityTableCount; ++table) {
    const TableFileCheck check = CheckTableFile(table, kCheckListedFindings, language);
    if (check.errors + check.notes == 0) continue;
    if (csv && !any) WriteText(kTableCheckCsvHeader);
    any = true;
    errors = errors || check.errors > 0;
    WriteText(csv ? TableCheckCsv(check) : TableCheckText(check));
    summary += TableCheckSummary(check);
  }
  if (!csv) WriteText(summary);
  const bool written = FlushOutput();
  // Both mean "not all is well": an error, or output that failed.
  return errors ? kTablesFaulty : written ? kReportWritten : kReportCutShort;
}

int Report(const CommandLine& command_line) {
  const Command command = command_line.command;
  const Language language = command_line.language;
  switch (command) {
    case Command::kHelp:
      return Finish(UsageText(language) + HelpText(language));
    case Command::kVersion:
      return Finish("upgrade-odds " UPGRADE_SIM_VERSION "\n");
    case Command::kBadUsage:
      WriteErrorText("upgrade-odds: " + command_line.error + "\n" + UsageText(language));
      return kBadUsage;
    case Command::kCheck:
    case Command::kSetUp:
    case Command::kTable:
    case Command::kPlan:
      break;
  }
  if (command_line.csv) UseLfLineBreaks();
  if (command == Command::kCheck) return Check(command_line.csv, language);
  TableFilesRead read{};
  const ProbabilityTables tables = LoadProbabilityTables(&read);
  ReportUnreadFiles(read, language);
  const bool csv = command_line.csv;
  if (command == Command::kPlan) {
    const PlanView view = MakePlanView(tables, command_line.plan);
    return Finish(csv ? PlanCsv(view) : PlanText(view, language));
  }
  const UpgradeRequest& request = command_line.set_up;
  if (command == Command::kTable) {
    const TableView view = MakeTableView(tables, request.item_level, request.stone_tiers);
    return Finish(csv ? TableCsv(view) : TableText(view, language));
  }
  const SetUpView view = MakeSetUpView(tables, request);
  return Finish(csv ? SetUpCsv(view) : SetUpText(view, language));
}

}  // namespace

int RunOddsReport(int argc, const char* const* argv) {
  SetUpConsole();
  const Language locale =
      LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  const CommandLine command_line = ReadCommandLine(argc, argv, locale);
  const int status = Report(command_line);
  // Started by a double click, the console window would close before the
  // report could be read.
  if (StartedInOwnConsole()) {
    WriteText("\n" + std::string(TextOf(command_line.language, OddsText::kPressAnyKey)));
    (void)FlushOutput();
    WaitForKeyPress();
  }
  return status;
}
