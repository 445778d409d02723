#pragma once

#include <cstdint>

namespace velmira {

// Where the simulated modules take their time from. The program runs them on
// the steady clock; tests set the time themselves, so every run is the same.
class SimClock {
  public:
    virtual ~SimClock() = default;
    virtual std::int64_t nowMicros() = 0;
    // Lets `micros` of time pass: a synchronous library call (two-axis homing)
    // blocks for as long as the search takes, as the module would.
    virtual void wait(std::int64_t micros) = 0;
};

class SteadySimClock final : public SimClock {
  public:
    std::int64_t nowMicros() override;
    void wait(std::int64_t micros) override;
};

class ManualSimClock final : public SimClock {
  public:
    std::int64_t nowMicros() override { return now_; }
    void wait(std::int64_t micros) override { now_ += micros; }
    void advance(std::int64_t micros) { now_ += micros; }
    void advanceMs(double ms) { now_ += static_cast<std::int64_t>(ms * 1000.0); }

  private:
    std::int64_t now_ = 0;
};

}  // namespace velmira
