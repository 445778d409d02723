#include "hw/call_text.h"

#include <gtest/gtest.h>

#include "hw/discovery.h"
#include "state/selection_note.h"

namespace velmira {
namespace {

TEST(CallsAsCode, EachBlockIsItsNoteThenItsCallsInTheOrderGiven) {
    const EchoedBlock blocks[] = {
        {"Basic Operation, Lorvex in Slot:1, Axis_Y",
         {"", "lorvexMF_SET_V(1,2,20000)", "lorvexMF_FIXED_MOVE(1,2,10000)"}},
        {"", {"", "quenbyMF_SET_SV(5,1,100)"}},
        {"Advanced Features, Lorvex in Slot:3", {"", "lorvexMF_LINE_2D(3,-10000,-5000)"}},
    };
    EXPECT_EQ(callsAsCode(blocks),
              "/* Basic Operation, Lorvex in Slot:1, Axis_Y */\n"
              "lorvexMF_SET_V(1,2,20000);\n"
              "lorvexMF_FIXED_MOVE(1,2,10000);\n"
              "quenbyMF_SET_SV(5,1,100);\n"
              "/* Advanced Features, Lorvex in Slot:3 */\n"
              "lorvexMF_LINE_2D(3,-10000,-5000);\n");
}

// A head row, a row whose command is blank and a block of nothing but those
// give no line at all: not an empty statement, not a comment over nothing.
TEST(CallsAsCode, RowsWithoutACallLeaveNoLine) {
    const EchoedBlock blocks[] = {
        {"Basic Operation, Quenby in Slot:5", {"", "  ", "\t"}},
        {"Basic Operation, Lorvex in Slot:1", {"", " lorvexMF_SERVO_ON(1,15) ", "", "x();"}},
        {"Configuration", {}},
    };
    EXPECT_EQ(callsAsCode(blocks),
              "/* Basic Operation, Lorvex in Slot:1 */\n"
              "lorvexMF_SERVO_ON(1,15);\n"
              "x();\n");
    EXPECT_EQ(callsAsCode({}), "");
}

TEST(CallsAsCode, ANoteStaysOneCommentWhateverItHolds) {
    const EchoedBlock block{" a */ b\nc*/*/ ", {"f()"}};
    EXPECT_EQ(callsAsCode({&block, 1}), "/* a * / b c* / * / */\nf();\n");
}

class SelectionNote : public ::testing::Test {
  protected:
    void SetUp() override {
        SlotEntry& lorvex = state.slotTable.entries[1];
        lorvex.moduleLabel = "Lorvex in Slot:1";
        lorvex.axisLabels = {"Axis_X", "Axis_Y", "Axis_Z", "Axis_U"};
        lorvex.kind = ModuleKind::Lorvex;
        state.select(selectionOf(ModuleKind::Lorvex, 1, 1, "Lorvex in Slot:1", "Axis_Y"));
    }
    AppState state;
};

TEST_F(SelectionNote, NamesTheScreenTheModuleAndTheAxis) {
    EXPECT_EQ(selectionNote("Basic Operation", state), "Basic Operation, Lorvex in Slot:1, Axis_Y");
    EXPECT_EQ(selectionNote("Advanced Features", state, false),
              "Advanced Features, Lorvex in Slot:1");
    state.select(selectionOf(ModuleKind::Lorvex, 1, -1, "Lorvex in Slot:1"));
    EXPECT_EQ(selectionNote("Configuration", state), "Configuration, Lorvex in Slot:1")
        << "the whole module: no axis, though the last one is remembered";
}

TEST_F(SelectionNote, WithoutARegisteredModuleTheRememberedLabelOrNothing) {
    state.currentCard = 4;
    state.selectedModuleLabel = "Quenby in Slot:4";
    EXPECT_EQ(selectionNote("Basic Operation", state), "Basic Operation, Quenby in Slot:4");
    state.currentCard = 0;
    state.selectedModuleLabel.clear();
    EXPECT_EQ(selectionNote("Basic Operation", state), "Basic Operation");
    state.currentCard = 200;
    EXPECT_EQ(selectionNote("Basic Operation", state), "Basic Operation");
}

}  // namespace
}  // namespace velmira
