// Random numbers for Poisson trains and seeds for noise.
//
// GetRandomNumber keeps the C run-time generator that the stored Poisson stimuli were drawn
// with: a linear congruential generator giving 15-bit values, so 32767.0 is its largest
// value. The host's rand() may have another range (glibc's reaches 2^31 - 1), which would
// give numbers far above 1 and negative Poisson intervals.

#include <cstdint>

#include "platform/clock/clock.h"
#include "stimulus/generators.h"

namespace {

std::uint32_t generatorState = 1;
unsigned LastSeed = 0;  // the seed last given to the generator
unsigned seedsGiven = 0;

void seedGenerator(unsigned seed) {
    generatorState = seed;
}

int nextRandom() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFF);
}

// The clock in milliseconds as an unsigned 32-bit seed.
unsigned millisecondSeed() {
    const double t = ::Timer() * 1000.0;
    if (t < 2147483648.0) return static_cast<unsigned>(static_cast<int>(t));
    return static_cast<unsigned>(static_cast<int>(t - 2147483648.0)) + 2147483648u;
}

}  // namespace

namespace trelvanix {

void ResetRandomNumbers() {
    generatorState = 1;
    LastSeed = 0;
    seedsGiven = 0;
}

int NextNoiseSeed() {
    ++seedsGiven;
    // Mix the millisecond and the count (splitmix-style) so neighbouring values spread.
    std::uint64_t z = (static_cast<std::uint64_t>(millisecondSeed()) << 32) ^ seedsGiven;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return 1 + static_cast<int>(z % 2147483646u);
}

}  // namespace trelvanix

float GetRandomNumber() {
    float r = 0.0f;
    do {
        const unsigned seed = millisecondSeed();
        if (seed != LastSeed) seedGenerator(seed);
        LastSeed = seed;
        r = static_cast<float>(nextRandom() / 32767.0);
    } while (r == 0.0f);
    return r;
}
