// The process's one pseudo-random source: 15-bit draws from a Mersenne
// Twister.
#ifndef UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_
#define UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_

#include <cstdint>
#include <random>

struct RandomSource {
  std::mt19937 engine;
};

/// A source seeded once with seed.
RandomSource SeededRandomSource(std::uint32_t seed);

/// The next draw, uniform over 0 to 32767.
std::int32_t DrawRandom(RandomSource& source);

#endif  // UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_
