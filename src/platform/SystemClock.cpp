// The system clock and the random generator.
#include "SystemClock.h"

#include <cstring>
#include <ctime>

namespace glw::platform {

// SystemClock, StdRandom

std::uint32_t SystemClock::tickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

StdRandom::StdRandom() : m_engine(std::random_device{}()) {}

void StdRandom::randomize(double seed) {
    // Seed from the bits of the number, so that seeds that differ only in their fraction differ too.
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof seed);
    std::memcpy(&bits, &seed, sizeof bits);
    std::seed_seq sequence{std::uint32_t(bits), std::uint32_t(bits >> 32)};
    m_engine.seed(sequence);
}

float StdRandom::rnd() {
    // 24 random bits make every float in [0, 1) of that spacing equally likely and never give 1.
    return float(m_engine() >> 8) / float(1u << 24);
}

} // namespace glw::platform
