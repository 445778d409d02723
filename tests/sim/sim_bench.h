#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <vector>

#include "sim/sim_rack.h"

namespace velmira {

// A rack on a clock the test moves: a four-axis module in slot 1 and a
// two-axis one in slot 5, both registered, on the machine given.
struct SimBench {
    static constexpr int kLorvexCard = 1;
    static constexpr int kQuenbyCard = 5;

    explicit SimBench(const RackDescription& machine = {})
        : rack(*parseSlotList("1=Lorvex,5=Quenby").ids, machine, clock),
          lorvex(ModuleKind::Lorvex, rack),
          quenby(ModuleKind::Quenby, rack) {
        EXPECT_EQ(lorvex.REGISTRATION(kLorvexCard, kLorvexCard), 1);
        EXPECT_EQ(quenby.REGISTRATION(kQuenbyCard, kQuenbyCard), 1);
    }

    // What the status monitor reads of one axis.
    struct Sample {
        double ms;
        std::int32_t lp;
        std::int32_t ep;
        std::int32_t cv;
    };

    Sample read(MotionLibrary& lib, int card, int mask) {
        return {static_cast<double>(clock.nowMicros()) / 1000.0, lib.GET_LP(card, mask),
                lib.GET_EP(card, mask), lib.GET_CV(card, mask)};
    }

    // Reads every `stepMs` until the axis has come to rest (or `limitMs`).
    std::vector<Sample> record(MotionLibrary& lib, int card, int mask, double stepMs = 1,
                               double limitMs = 120000) {
        std::vector<Sample> samples{read(lib, card, mask)};
        for (double t = 0; t < limitMs; t += stepMs) {
            clock.advanceMs(stepMs);
            samples.push_back(read(lib, card, mask));
            if (lib.GET_DI(card, mask, 0) == 0) break;
        }
        return samples;
    }

    // Lets time pass with one read at the end, as a slow poll would.
    void wait(double ms, MotionLibrary& lib, int card) {
        clock.advanceMs(ms);
        lib.GET_LP(card, 1);
    }

    bool runUntil(const std::function<bool()>& done, double limitMs = 600000, double stepMs = 10) {
        for (double t = 0; t < limitMs; t += stepMs) {
            if (done()) return true;
            clock.advanceMs(stepMs);
        }
        return done();
    }

    ManualSimClock clock;
    SimRack rack;
    SimMotionLibrary lorvex;
    SimMotionLibrary quenby;
};

inline std::int32_t peakSpeed(const std::vector<SimBench::Sample>& samples) {
    std::int32_t peak = 0;
    for (const auto& s : samples) peak = std::max(peak, s.cv);
    return peak;
}

}  // namespace velmira
