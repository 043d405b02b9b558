#include <ctime>

#include "platform/clock.h"

std::uint32_t ClockSeed() { return static_cast<std::uint32_t>(_time64(nullptr)); }
