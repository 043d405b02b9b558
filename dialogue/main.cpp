#include "dialogue/run_driver.h"

int main() { return RunUpgradeSimulation(); }
