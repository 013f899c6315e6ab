// The system clock and the pseudo-random generator.
#pragma once

#include "Services.h"

#include <random>

namespace glw::platform {

// The wall clock and a monotonic millisecond tick count.
class SystemClock : public Clock {
public:
    std::chrono::system_clock::time_point now() override { return std::chrono::system_clock::now(); }
    std::uint32_t tickCount() override;
};

// Pseudo-random numbers from a Mersenne Twister; the same seed gives the same sequence. Seeded from the
// system's entropy until randomize is called.
class StdRandom : public Random {
public:
    StdRandom();
    void randomize(double seed) override;
    float rnd() override;

private:
    std::mt19937 m_engine;
};

} // namespace glw::platform
