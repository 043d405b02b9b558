#include "platform/random_source.h"

RandomSource SeededRandomSource(std::uint32_t seed) {
  return RandomSource{MersenneTwister32(seed)};
}
