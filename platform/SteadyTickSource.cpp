#include "SteadyTickSource.h"

#include <thread>

SteadyTickSource::SteadyTickSource()
    : origin(std::chrono::steady_clock::now()) {}

int32_t SteadyTickSource::GetTickCount() {
    const auto elapsed = std::chrono::steady_clock::now() - origin;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    // Wraps like the platform counter it stands for; tick arithmetic is wrap-safe throughout.
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void SteadyTickSource::Sleep(int32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

double SteadyTickSource::PreciseTicks() const {
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - origin;
    return elapsed.count();
}
