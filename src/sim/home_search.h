#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/axis_model.h"

namespace velmira {

// What a home search is asked to do. Each of the four steps (near-home,
// home, index, offset) has a code: 0 leaves it out, 1 runs it in the plus
// direction, 2 in the minus direction.
struct HomePlan {
    std::array<std::uint16_t, 4> codes{};
    double driveSpeed = 50000;          // near-home search and offset move
    double homeSpeed = 5000;            // home and index search, return to an edge
    double offset = 0;                  // length of the offset move
    std::optional<double> indexWindow;  // the index search gives up after this travel
};

// Runs the steps of a home search on one axis, one run of the axis at a time.
// A search step finds the edge where its signal becomes active in the step's
// direction, brakes beyond it and comes back to the edge at home speed. When
// the search starts on the signal, it first leaves it backwards; when it meets
// the limit switch of its direction, it turns, passes the signal and searches
// again, once. Any other failure (a limit in the index search or offset move,
// the emergency stop, the alarm, a stop, an unknown code) ends the search with
// the home-failed error bit.
class HomeSearch {
  public:
    HomeSearch(AxisModel& axis, const HomePlan& plan);

    void update();  // after every tick of the axis
    bool done() const { return phase_ == Phase::Done; }

  private:
    enum class Phase { Leave, Seek, Return, Offset, Done };
    void beginStep();
    void nextStep();
    void seek();
    void leave();
    void fail();
    void run(int direction, double speed, std::optional<double> distance,
             AxisModel::Trigger trigger, Phase phase);
    int direction() const { return plan_.codes[step_] == 1 ? 1 : -1; }
    double stepSpeed() const;
    AxisInput stepInput() const;

    AxisModel& axis_;
    HomePlan plan_;
    int step_ = -1;
    Phase phase_ = Phase::Done;
    bool turned_ = false;
    double searchLimit_ = 0;
};

}  // namespace velmira
