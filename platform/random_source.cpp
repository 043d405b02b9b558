#include "platform/random_source.h"

RandomSource SeededRandomSource(std::uint32_t seed) { return RandomSource{std::mt19937(seed)}; }

// The top 15 of the engine's 32 uniform bits are themselves exactly uniform;
// a modulo would not be for a range that is not a power of two.
std::int32_t DrawRandom(RandomSource& source) {
  return static_cast<std::int32_t>(source.engine() >> 17);
}
