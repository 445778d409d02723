#include "hw/call_text.h"

#include <gtest/gtest.h>

#include "hw/discovery.h"
#include "hw/echoing_library.h"
#include "state/selection_note.h"
#include "support/call_log.h"

namespace velmira {
namespace {

// Each block is its note, then its calls in the order given; a head row, a blank command
// and a block of nothing but those give no line: not an empty statement, not a bare comment.
TEST(CallsAsCode, EachBlockIsItsNoteThenItsCallsAndRowsWithoutACallLeaveNoLine) {
    const EchoedBlock blocks[] = {
        {"Basic Operation, Lorvex in Slot:1, Axis_Y",
         {"", "lorvexMF_SET_V(1,2,20000)", " lorvexMF_FIXED_MOVE(1,2,10000) "}},
        {"", {"", "quenbyMF_SET_SV(5,1,100)"}},
        {"Basic Operation, Quenby in Slot:5", {"", "  ", "\t"}},
        {"Advanced Features, Lorvex in Slot:3",
         {"", "lorvexMF_LINE_2D(3,-10000,-5000)", "", "x();"}},
        {"Configuration", {}},
    };
    EXPECT_EQ(callsAsCode(blocks),
              "/* Basic Operation, Lorvex in Slot:1, Axis_Y */\n"
              "lorvexMF_SET_V(1,2,20000);\n"
              "lorvexMF_FIXED_MOVE(1,2,10000);\n"
              "quenbyMF_SET_SV(5,1,100);\n"
              "/* Advanced Features, Lorvex in Slot:3 */\n"
              "lorvexMF_LINE_2D(3,-10000,-5000);\n"
              "x();\n");
    EXPECT_EQ(callsAsCode({}), "");
}

TEST(CallsAsCode, ANoteStaysOneCommentWhateverItHolds) {
    const EchoedBlock block{" a */ b\nc*/*/ ", {"f()"}};
    EXPECT_EQ(callsAsCode({&block, 1}), "/* a * / b c* / * / */\nf();\n");
}

using Texts = std::vector<std::string>;

TEST(EchoingMotionLibrary, MakesEachCallAndAppendsItsRowAsPassed) {
    CallLog log;
    RecordingMotionLibrary quenby(ModuleKind::Quenby, log);
    log.setResult("quenbyMF_REGISTRATION", 0x101);
    log.setResult("quenbyMF_GET_ERROR_CODE", -1);
    Texts rows, written;
    EchoingMotionLibrary echo(quenby, rows);
    echo.onRow([&](const std::string& row) { written.push_back(row); });
    echo.SET_SLMT(261, 0x10002, -5, 3000000000u, 1);
    EXPECT_EQ(echo.REGISTRATION(5, 5), 1) << "the result, in its C type";
    EXPECT_EQ(echo.GET_ERROR_CODE(5, 1), 0xFFFFFFFFu);
    echo.showingTyped(2, 70000).SET_AO(5, 1, 70000);
    echo.SET_AO(5, 1, 70000);  // shown as passed again: showingTyped was for one call
    echo.rowOnly().AUTO_HOME(5, 3, 2, 2, 1, 1, 120000, 50000, 3000, 6000);
    echo.SET_EP(5, 3, 0);
    const Texts calls{"quenbyMF_SET_SLMT(5,2,-5,-1294967296,1)",
                      "quenbyMF_REGISTRATION(5,5)",
                      "quenbyMF_GET_ERROR_CODE(5,1)",
                      "quenbyMF_SET_AO(5,1,4464)",
                      "quenbyMF_SET_AO(5,1,4464)",
                      "quenbyMF_SET_EP(5,3,0)"};
    EXPECT_EQ(log.texts(), calls);
    EXPECT_EQ(rows, (Texts{calls[0], calls[1], calls[2], "quenbyMF_SET_AO(5,1,70000)", calls[4],
                           "quenbyMF_AUTO_HOME(5,3,2,2,1,1,120000,50000,3000,6000)", calls[5]}));
    EXPECT_EQ(written, rows) << "each row handed on as it comes";
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
    // Without a registered module: the remembered label, or nothing.
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
