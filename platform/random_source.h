// The process's one pseudo-random source: 15-bit draws from a Mersenne
// Twister.
#ifndef UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_
#define UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_

#include <cstdint>
#include <random>

// std::mt19937 itself, with its state in 32-bit words rather than in
// uint_fast32_t (64 bits here): the same numbers, from half the memory and
// in fewer instructions.
using MersenneTwister32 =
    std::mersenne_twister_engine<std::uint32_t, 32, 624, 397, 31, 0x9908b0dfu, 11, 0xffffffffu, 7,
                                 0x9d2c5680u, 15, 0xefc60000u, 18, 1812433253u>;

struct RandomSource {
  MersenneTwister32 engine;
};

/// A source seeded once with seed.
RandomSource SeededRandomSource(std::uint32_t seed);

/// The next draw, uniform over 0 to 32767. The top 15 of the engine's 32
/// uniform bits are themselves exactly uniform; a modulo would not be for a
/// range that is not a power of two.
inline std::int32_t DrawRandom(RandomSource& source) {
  return static_cast<std::int32_t>(source.engine() >> 17);
}

#endif  // UPGRADE_SIM_PLATFORM_RANDOM_SOURCE_H_
