// One run of the simulator, from start-up to the final key press.
#ifndef UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_
#define UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_

#include <cstdint>

/// Exit status of a completed run.
constexpr int kRunCompleted = 0;
/// Exit status when standard input ends before all answers are in, or
/// standard output fails.
constexpr int kRunCutShort = 1;

/// Carries out the whole run on the console; returns the exit status.
int RunUpgradeSimulation();

#endif  // UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_
