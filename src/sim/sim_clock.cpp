#include "sim/sim_clock.h"

#include <chrono>
#include <thread>

namespace velmira {

std::int64_t SteadySimClock::nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadySimClock::wait(std::int64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

}  // namespace velmira
