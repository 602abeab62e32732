#pragma once
// xoshiro256++ (Blackman and Vigna, 2019): a fast 64-bit generator with 256 bits of state,
// ample for simulated noise, about a third of the cost of std::mt19937_64 per draw. Meets
// the standard's uniform random bit generator requirements, so library distributions take it.

#include <cstdint>
#include <limits>
#include <random>

namespace trelvanix::driver {

class NoiseEngine {
  public:
    using result_type = std::uint64_t;

    // The state is filled from the seed sequence, so every seed gives its own stream.
    explicit NoiseEngine(std::seed_seq& sequence) {
        std::uint32_t words[8];
        sequence.generate(words, words + 8);
        for (int k = 0; k < 4; ++k)
            state_[k] = std::uint64_t(words[2 * k]) << 32 | words[2 * k + 1];
        // An all-zero state would give zeros for ever.
        if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0) state_[0] = 1;
    }

    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return std::numeric_limits<result_type>::max(); }

    result_type operator()() {
        const std::uint64_t result = rotateLeft(state_[0] + state_[3], 23) + state_[0];
        const std::uint64_t shifted = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= shifted;
        state_[3] = rotateLeft(state_[3], 45);
        return result;
    }

  private:
    static std::uint64_t rotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t state_[4];
};

}  // namespace trelvanix::driver
