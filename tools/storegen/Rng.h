#pragma once

// The generator's deterministic random numbers (SplitMix64): the same rng value gives the
// same store, byte for byte, on every machine.

#include <cstdint>

namespace tarnwick::storegen {

class Rng {
 public:
  explicit Rng(std::uint64_t start) : state_(start) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A value in [0, bound).
  std::uint64_t below(std::uint64_t bound) { return bound ? next() % bound : 0; }

 private:
  std::uint64_t state_;
};

}  // namespace tarnwick::storegen
