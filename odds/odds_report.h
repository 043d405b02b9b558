// The exact odds of a set-up, or of every item grade and talik count, from
// the odds tables in the working directory, for a player to read or for a
// spreadsheet (CSV).
#ifndef UPGRADE_SIM_ODDS_ODDS_REPORT_H_
#define UPGRADE_SIM_ODDS_ODDS_REPORT_H_

/// Exit status of a report written in full.
constexpr int kReportWritten = 0;
/// Exit status when standard output fails.
constexpr int kReportCutShort = 1;
/// Exit status of --check when the tables' files hold something wrong.
constexpr int kTablesFaulty = 1;
/// Exit status of bad usage: nothing is written to standard output.
constexpr int kBadUsage = 2;

/// Carries out one call of upgrade-odds; returns the exit status.
int RunOddsReport(int argc, const char* const* argv);

#endif  // UPGRADE_SIM_ODDS_ODDS_REPORT_H_
