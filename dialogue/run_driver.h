// One run of the simulator, from start-up to the final key press.
#ifndef UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_
#define UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_

#include <cstdint>

/// The user's answers, in the order they are asked.
struct UpgradeRequest {
  std::int32_t attempt_count = 0;  // 1 to 100
  std::int32_t item_grade = 0;     // 0 to 10
  std::int32_t item_level = 0;     // 1 to 65
  std::int32_t talik_count = 0;    // 0 to 6
  float stone_factor_sum = 0.0f;   // 0.5 to 40.0
};

/// Exit status of a completed run.
constexpr int kRunCompleted = 0;
/// Exit status when standard input ends before all answers are in, or
/// standard output fails.
constexpr int kRunCutShort = 1;

/// Carries out the whole run on the console; returns the exit status.
int RunUpgradeSimulation();

#endif  // UPGRADE_SIM_DIALOGUE_RUN_DRIVER_H_
