#pragma once

namespace velmira {

// How a sequence waits: the platform's sleep and message pump. The program
// uses the real ones; a test that drives the screens on a clock of its own
// lets time pass instead of sleeping.
class Pacing {
  public:
    virtual ~Pacing() = default;
    virtual void sleepMs(int ms) = 0;
    virtual void doEvents() = 0;

    // The real sleep and pump.
    static Pacing& real();
};

}  // namespace velmira
