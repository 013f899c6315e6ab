// The parts of the service interfaces that every implementation shares: the clock's local-time readings.
#include "Services.h"

#include <ctime>
#include <iostream>

namespace glw::platform {

namespace {

std::tm localParts(std::chrono::system_clock::time_point t) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm parts{};
    ::localtime_r(&seconds, &parts);
    return parts;
}

} // namespace

double Clock::timer() {
    auto t = now();
    std::tm parts = localParts(t);
    // to_time_t drops the fraction of the second; take it from the time point itself.
    auto whole = std::chrono::system_clock::from_time_t(std::chrono::system_clock::to_time_t(t));
    double fraction = std::chrono::duration<double>(t - whole).count();
    if (fraction < 0) {
        fraction += 1.0;
    }
    return parts.tm_hour * 3600.0 + parts.tm_min * 60.0 + parts.tm_sec + fraction;
}

int Clock::hour() {
    return localParts(now()).tm_hour;
}

int Clock::second() {
    return localParts(now()).tm_sec;
}

void logLine(const ServiceLog& log, const std::string& line) {
    if (log) {
        log(line);
    } else {
        std::cerr << "glw: " << line << '\n';
    }
}

} // namespace glw::platform
