#include "odds/odds_report.h"

int main(int argc, char** argv) { return RunOddsReport(argc, argv); }
