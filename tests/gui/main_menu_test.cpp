#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>

#include "app/main_menu_dlg.h"
#include "platform/picture_control.h"
#include "platform/resources.h"
#include "settings/settings_file.h"
#include "support/call_log.h"
#include "support/recorded_bench.h"

namespace velmira {
namespace {

using test::ScriptedBoxes;

// A working screen that ends by itself, as soon as its modal loop runs, with
// the result the test queued; before that it may act as a user would have.
class EndingScreen : public WorkingScreen {
  public:
    EndingScreen(MessageBoxes& boxes, CarriedValues v, QWidget* parent, int result,
                 std::function<void()> during, std::optional<CarriedValues> handBack, int& alive,
                 int& mostAlive)
        : WorkingScreen(boxes, v, parent), alive_(alive) {
        mostAlive = std::max(mostAlive, ++alive_);
        QTimer::singleShot(0, this, [this, result, during, handBack] {
            if (during) during();
            if (handBack) carried_ = *handBack;
            done(result);
        });
    }
    ~EndingScreen() override { --alive_; }

  private:
    int& alive_;
};

class ScriptedScreens final : public ScreenFactory {
  public:
    struct Visit {
        int result;
        std::function<void()> during;
        std::optional<CarriedValues> handBack = {};  // what the screen gives back
    };
    explicit ScriptedScreens(MessageBoxes& boxes) : boxes_(boxes) {}

    std::deque<Visit> configurationVisits, basicVisits, advancedVisits;
    std::vector<std::string> opened;
    std::vector<CarriedValues> handedIn;  // what each screen was given
    int alive = 0, mostAlive = 0;

    std::unique_ptr<WorkingScreen> configuration(QWidget* parent, CarriedValues v) override {
        return make("Configuration", configurationVisits, parent, v);
    }
    std::unique_ptr<WorkingScreen> basicOperation(QWidget* parent, CarriedValues v) override {
        return make("Basic Operation", basicVisits, parent, v);
    }
    std::unique_ptr<WorkingScreen> advancedFeatures(QWidget* parent) override {
        return make("Advanced Features", advancedVisits, parent, {});
    }

  private:
    std::unique_ptr<WorkingScreen> make(const char* name, std::deque<Visit>& visits,
                                        QWidget* parent, CarriedValues v) {
        Visit visit{kResultPicture, {}};
        if (!visits.empty()) {
            visit = visits.front();
            visits.pop_front();
        }
        opened.push_back(name);
        handedIn.push_back(v);
        return std::make_unique<EndingScreen>(boxes_, v, parent, visit.result, visit.during,
                                              visit.handBack, alive, mostAlive);
    }
    MessageBoxes& boxes_;
};

class MainMenu : public ::testing::Test, protected test::RecordedBench {
  protected:
    void SetUp() override {
        ids[1] = 69;
        menu = std::make_unique<CMainMenuDlg>(ctx, screens);
        menu->show();
    }

    void click(int id) { QTest::mouseClick(menu->control(id), Qt::LeftButton); }
    bool enabled(int id) { return menu->control(id)->isEnabled(); }
    std::vector<std::string> servoOffs() const {
        std::vector<std::string> out;
        for (const Call& c : log.calls()) {
            if (c.function.find("SERVO_OFF") != std::string::npos) out.push_back(c.text());
        }
        return out;
    }
    // What a Configuration visit does when the user picks a module in its tree.
    std::function<void()> select(ModuleKind kind, std::uint8_t card) {
        return [this, kind, card] {
            state.currentKind = kind;
            state.currentCard = card;
        };
    }

    ScriptedScreens screens{boxes};
    std::unique_ptr<CMainMenuDlg> menu;
};

// A start parses no SVG: every picture the menu shows and the window icon
// were drawn at build time, at the size shown, with the pixels the SVG gives.
TEST_F(MainMenu, ShowsOnlyPicturesDrawnWhenTheProgramWasBuilt) {
    const auto pictures = menu->findChildren<PictureControl*>();
    ASSERT_EQ(pictures.size(), 8);
    std::vector<std::pair<int, QSize>> shown;
    for (const PictureControl* p : pictures) shown.emplace_back(p->resource(), p->size());
    for (int side : {16, 32, 48, 64}) shown.emplace_back(128, QSize(side, side));
    for (const auto& [resource, size] : shown) {
        SCOPED_TRACE(testing::Message()
                     << resource << " at " << size.width() << "x" << size.height());
        EXPECT_TRUE(isBaked(resource, size)) << "add it to velmira_baked_pictures";
        const QImage baked = renderResource(resource, size).toImage();
        EXPECT_EQ(baked.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  drawResource(resource, size));
    }
}

TEST_F(MainMenu, NoModuleRefusesConfiguration) {
    ids.fill(0xFF);
    ids[4] = 12;
    click(1000);
    ASSERT_EQ(boxes.texts(), std::vector<std::string>{"NO Lorvex/Quenby in Coralt!!"});
    EXPECT_EQ(log.textsOf("GetSlotAddr").size(), 7u) << "the slots were probed";
    EXPECT_EQ(screens.alive, 0) << "the constructed screen is destroyed unseen";
    EXPECT_FALSE(enabled(1001));
}

TEST_F(MainMenu, AnsweringNoSavesNothingButAsksNoMore) {
    screens.configurationVisits = {{kResultSwitch, {}}, {kResultSwitch, {}}};
    click(1000);
    click(1000);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Save all of settings?"});
    EXPECT_FALSE(QFile::exists(card.path() + "/Pelmoran/Orvo/lorvex_Config.ini"));
    EXPECT_EQ(state.settingsSaved, 1);
}

TEST_F(MainMenu, FailedSaveStillMovesOn) {
    ASSERT_TRUE(QDir(card.path() + "/Pelmoran").removeRecursively());
    ASSERT_TRUE(QFile(card.path() + "/Pelmoran").open(QIODevice::WriteOnly));
    screens.configurationVisits = {{kResultSwitch, {}}};
    boxes.answerNext(BoxAnswer::Yes);
    click(1000);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Save all of settings?",
                                                       "Can not write the Configuration INI File\n"
                                                       "a part of the path is not a folder"}));
    EXPECT_EQ(state.settingsSaved, 1);
    EXPECT_EQ(screens.opened.back(), "Basic Operation");
}

// Return and Switch switch the chosen module's servos off and record it for
// Basic Operation's caption; the picture does not. Only a save opens the entries.
TEST_F(MainMenu, HowAVisitEndsDecidesTheServoOffAndTheEntries) {
    struct Case {
        int entry;  // 1000 Configuration, 1001 Basic Operation
        int result;
        bool saved, chosen;
        std::vector<std::string> offs;
    };
    const std::vector<std::string> off{"quenbyMF_SERVO_OFF(1,3)"};
    const Case cases[] = {
        {1000, kResultReturn, false, true, off}, {1000, kResultPicture, false, true, {}},
        {1000, kResultReturn, false, false, {}}, {1000, kResultReturn, true, true, off},
        {1001, kResultReturn, true, true, off},  {1001, kResultSwitch, true, true, off},
        {1001, kResultPicture, true, true, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.entry << " " << c.result << " " << c.chosen);
        state.currentKind = ModuleKind::None;
        state.servoOnAxes.fill(0xF);
        log.clear();
        screens.opened.clear();
        const std::function<void()> leave = [this, c] {
            if (c.chosen) select(ModuleKind::Quenby, 1)();
            if (c.saved) state.settingsSaved = 1;
        };
        (c.entry == 1000 ? screens.configurationVisits : screens.basicVisits) = {{c.result, leave}};
        click(c.entry);
        EXPECT_EQ(servoOffs(), c.offs);
        EXPECT_EQ(state.servoOff(1, 3), !c.offs.empty());
        EXPECT_FALSE(state.servoOff(2, 1)) << "another module's axes stay as they are";
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_EQ(enabled(1001) && enabled(1002), c.saved);
    }
}

TEST_F(MainMenu, BasicOperationHandsBackTheCarriedValues) {
    state.settingsSaved = 1;
    screens.configurationVisits = {{kResultReturn, {}}};
    click(1000);
    // Basic Operation gives back two values; the next screens are handed them.
    screens.basicVisits = {{kResultSwitch, {}, CarriedValues{7, -9}}, {kResultReturn, {}}};
    screens.configurationVisits = {{kResultSwitch, {}}};
    click(1001);
    ASSERT_EQ(screens.opened, (std::vector<std::string>{"Configuration", "Basic Operation",
                                                        "Configuration", "Basic Operation"}));
    for (std::size_t visit : {2u, 3u}) {
        EXPECT_EQ(screens.handedIn[visit].first, 7) << visit;
        EXPECT_EQ(screens.handedIn[visit].second, -9) << visit;
    }
}

// The first switch asks once to save; every switch and the last Return switch
// the module's servos off, and each screen is gone before the next opens.
TEST_F(MainMenu, FiftySwitchesOpenOneScreenAtATimeAndAskToSaveOnce) {
    state.currentKind = ModuleKind::Lorvex;
    state.currentCard = 1;
    for (int i = 0; i < 50; ++i) {
        screens.configurationVisits.push_back({kResultSwitch, {}});
        screens.basicVisits.push_back({kResultSwitch, {}});
    }
    screens.configurationVisits.push_back({kResultReturn, {}});
    boxes.answerNext(BoxAnswer::Yes);
    const int childrenBefore = static_cast<int>(menu->children().size());
    click(1176);  // the picture works like the button
    EXPECT_EQ(screens.opened.size(), 101u);
    ASSERT_EQ(boxes.texts(), std::vector<std::string>{"Save all of settings?"});
    EXPECT_TRUE(QFile::exists(card.path() + "/Pelmoran/Orvo/lorvex_Config.ini"));
    EXPECT_EQ(servoOffs(), std::vector<std::string>(101, "lorvexMF_SERVO_OFF(1,15)"));
    EXPECT_EQ(screens.mostAlive, 1) << "each screen is gone before the next opens";
    EXPECT_EQ(screens.alive, 0);
    EXPECT_EQ(static_cast<int>(menu->children().size()), childrenBefore);
}

TEST_F(MainMenu, AdvancedFeaturesFollowsTheCurrentKind) {
    state.settingsSaved = 1;
    screens.configurationVisits = {{kResultReturn, {}}};
    click(1000);

    click(1002);  // kind none: nothing at all
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(screens.alive, 0);

    state.currentKind = ModuleKind::Quenby;
    state.currentCard = 5;
    log.clear();
    click(1002);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Quenby is NOT avaliable in Advance Page"});
    EXPECT_TRUE(log.calls().empty());
    EXPECT_EQ(screens.opened.back(), "Advanced Features") << "built, then destroyed unseen";

    state.currentKind = ModuleKind::Lorvex;
    state.currentCard = 3;
    screens.advancedVisits = {{kResultSwitch, {}}};
    state.advServoIsOff = 0;
    click(1169);
    EXPECT_EQ(state.advServoIsOff, 1) << "the servo-off is recorded for the screen's caption";
    EXPECT_EQ(servoOffs(), std::vector<std::string>{"lorvexMF_SERVO_OFF(3,15)"});
}

}  // namespace
}  // namespace velmira
