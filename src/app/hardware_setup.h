#pragma once

#include <memory>
#include <string>

#include "app/options.h"
#include "hw/call_trace.h"
#include "hw/loaded_library.h"
#include "sim/sim_rack.h"

namespace velmira {

// Owns whatever stands behind the screens: the simulated rack, the libraries
// loaded in its place, and the trace in front of them all.
class HardwareSetup {
  public:
    // Loads the libraries given and resolves every function before anything
    // runs; a problem is one message naming the option, the file and all
    // missing functions.
    static Result<std::unique_ptr<HardwareSetup>> create(const Options& options);

    const Hardware& hardware() const { return hw_; }
    CallTrace* trace() const { return trace_.get(); }

  private:
    HardwareSetup() = default;

    std::unique_ptr<SimClock> clock_;  // before the rack, which runs on it
    std::unique_ptr<SimRack> rack_;
    std::unique_ptr<MotionLibrary> lorvex_, quenby_;
    std::unique_ptr<Backplane> backplane_;
    std::unique_ptr<CallTrace> trace_;
    std::unique_ptr<MotionLibrary> tracedLorvex_, tracedQuenby_;
    std::unique_ptr<Backplane> tracedBackplane_;
    Hardware hw_;
};

}  // namespace velmira
