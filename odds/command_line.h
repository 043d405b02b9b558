// upgrade-odds' arguments: which report is asked for and with what, or what
// is wrong with them. The forms and options are rows of two tables in
// command_line.cpp; a new option is one row there and a field here.
#ifndef UPGRADE_SIM_ODDS_COMMAND_LINE_H_
#define UPGRADE_SIM_ODDS_COMMAND_LINE_H_

#include <string>

#include "model/plan.h"
#include "model/upgrade_request.h"
#include "results/texts.h"

enum class Command { kSetUp, kTable, kPlan, kCheck, kHelp, kVersion, kBadUsage };

struct CommandLine {
  Command command = Command::kBadUsage;
  Language language = Language::kRussian;  // --lang, or the one given
  bool csv = false;
  UpgradeRequest set_up;  // kSetUp; kTable takes its level and stones
  PlanRequest plan;       // kPlan
  std::string error;      // kBadUsage: what is wrong, for the message
};

/// argv as upgrade-odds reads it; its messages in --lang's language, or in
/// the given one (the locale's).
CommandLine ReadCommandLine(int argc, const char* const* argv, Language language);

/// The forms of the command line, a line each.
std::string UsageText(Language language);

/// What each argument means, with its range.
std::string HelpText(Language language);

#endif  // UPGRADE_SIM_ODDS_COMMAND_LINE_H_
