#include "basic/status_monitor.h"

#include <gtest/gtest.h>

#include "support/call_log.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;
using Lamps = std::array<std::uint8_t, kLampCount>;

class StatusMonitor : public ::testing::Test {
  protected:
    StatusMonitor() {
        log.setResponder("lorvexMF_GET_DI", [this](const Call& c) { return inputs[c.args[2]]; });
        log.setResponder("lorvexMF_GET_ERROR_CODE", [this](const Call&) { return errorCode; });
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    std::array<std::int64_t, 9> inputs{};
    std::int64_t errorCode = 0;
    Lamps read{}, shown{};
    const MotionTarget module{ModuleKind::Lorvex, 2, 15, 4};
};

TEST_F(StatusMonitor, ReadsPositionsAndSpeedAndErrorIsLogicMinusEncoder) {
    log.setResult("lorvexMF_GET_LP", 1000);
    log.setResult("lorvexMF_GET_EP", 1250);  // the encoder is ahead
    log.setResult("lorvexMF_GET_CV", 3000);
    AxisStatus s;
    readAxisStatus(&lorvex, module, s);
    EXPECT_EQ(log.texts(),
              (Texts{"lorvexMF_GET_LP(2,15)", "lorvexMF_GET_EP(2,15)", "lorvexMF_GET_CV(2,15)"}));
    EXPECT_EQ(s.logicPosition, 1000);
    EXPECT_EQ(s.encoderPosition, 1250);
    EXPECT_EQ(s.error, -250);
    EXPECT_EQ(s.currentSpeed, 3000);

    log.setResult("lorvexMF_GET_LP", INT32_MAX);
    log.setResult("lorvexMF_GET_EP", INT32_MIN);
    readAxisStatus(&lorvex, module, s);
    EXPECT_EQ(s.error, 4294967295) << "no wrap-around";

    readAxisStatus(nullptr, module, s);
    EXPECT_EQ(s.currentSpeed, 3000) << "no module: the values stay";
}

TEST_F(StatusMonitor, LampsReadEightInputsAndOneErrorCodeInTheirOrderButNoneWithoutAModule) {
    shown[3] = 1;
    EXPECT_EQ(updateSignalLamps(nullptr, module, read, shown), LampFlags{});
    EXPECT_EQ(shown[3], 1);
    EXPECT_TRUE(log.calls().empty());
    updateSignalLamps(&lorvex, module, read, shown);
    EXPECT_EQ(log.texts(), (Texts{"lorvexMF_GET_DI(2,15,0)", "lorvexMF_GET_DI(2,15,1)",
                                  "lorvexMF_GET_DI(2,15,2)", "lorvexMF_GET_DI(2,15,3)",
                                  "lorvexMF_GET_DI(2,15,4)", "lorvexMF_GET_DI(2,15,5)",
                                  "lorvexMF_GET_DI(2,15,6)", "lorvexMF_GET_DI(2,15,8)",
                                  "lorvexMF_GET_ERROR_CODE(2,15)"}));
}

TEST_F(StatusMonitor, OnlyChangedLampsAreRedrawnAndOnlyOneMeansActive) {
    inputs[1] = 1;        // LMT+
    inputs[5] = 2;        // ORG: neither 0 nor 1
    errorCode = 0x10002;  // bit 1 (SLMT-); bit 16 lies outside the code
    LampFlags redraw = updateSignalLamps(&lorvex, module, read, shown);
    EXPECT_EQ(read, (Lamps{0, 1, 0, 0, 0, 2, 0, 0, 0, 1}));
    EXPECT_EQ(shown, read);
    EXPECT_EQ(redraw,
              (LampFlags{false, true, false, false, false, true, false, false, false, true}));
    EXPECT_TRUE(lampActive(shown[1]));
    EXPECT_FALSE(lampActive(shown[5]));

    redraw = updateSignalLamps(&lorvex, module, read, shown);
    EXPECT_EQ(redraw, LampFlags{}) << "a steady signal is read but not drawn again";
    EXPECT_EQ(log.calls().size(), 18u);

    inputs[1] = 0;
    errorCode = 1;
    redraw = updateSignalLamps(&lorvex, module, read, shown);
    EXPECT_EQ(redraw,
              (LampFlags{false, true, false, false, false, false, false, false, true, true}));
    EXPECT_EQ(shown, (Lamps{0, 0, 0, 0, 0, 2, 0, 0, 1, 0}));
}

}  // namespace
}  // namespace velmira
