// The calendar clock, as the seed of the random source.
#ifndef UPGRADE_SIM_PLATFORM_CLOCK_H_
#define UPGRADE_SIM_PLATFORM_CLOCK_H_

#include <cstdint>

/// Seconds since 1970, cut to their low 32 bits.
std::uint32_t ClockSeed();

#endif  // UPGRADE_SIM_PLATFORM_CLOCK_H_
