// A seeded random walk through every screen on the simulated rack: after every action the
// state is consistent, no axis moved without a call that moves it, and nothing hangs.
//   velmira_soak [ACTIONS]   (VELMIRA_SOAK_SEED=N replays a run; "date" uses today's)
#include <malloc.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "app/main_menu_dlg.h"
#include "app/program_screens.h"
#include "platform/picture_control.h"
#include "sim/sim_rack.h"

using namespace velmira;

namespace {

std::mt19937_64 rng;
std::map<std::string, long> actionsIn;  // by window title
std::string lastAction;
unsigned long seed = 0;

[[noreturn]] void broken(const std::string& what) {
    std::fprintf(stderr, "soak: FAIL after \"%s\": %s (replay with VELMIRA_SOAK_SEED=%lu)\n",
                 lastAction.c_str(), what.c_str(), seed);
    std::fflush(stderr);
    std::_Exit(1);
}

int pick(int n) {
    return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
}

class RandomBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest& r) override {
        if (r.text.find('\0') != std::string::npos) broken("a message with a NUL");
        ++shown;
        if (r.buttons == BoxButtons::YesNo) return pick(2) ? BoxAnswer::Yes : BoxAnswer::No;
        return BoxAnswer::Ok;
    }
    long shown = 0;
};

// Time passes only as the walk lets it: a sleep is a step of the clock.
class ClockPacing final : public Pacing {
  public:
    explicit ClockPacing(ManualSimClock& clock) : clock_(clock) {}
    void sleepMs(int ms) override { clock_.advanceMs(ms); }
    void doEvents() override { QCoreApplication::processEvents(); }

  private:
    ManualSimClock& clock_;
};

// Which axes some call may have set moving (or whose counters it set): per
// card, a mask of axis bits.
class MotionWitness final : public MotionLibrary {
  public:
    MotionWitness(MotionLibrary& inner) : MotionLibrary(inner.kind()), inner_(inner) {}
    std::int64_t dispatch(MotionOp op, std::span<const std::int64_t> args) override {
        using enum MotionOp;
        const auto card = static_cast<std::size_t>(args[0] & 7);
        const auto isOneOf = [op](std::initializer_list<MotionOp> ops) {
            return std::ranges::find(ops, op) != ops.end();
        };
        if (isOneOf({FIXED_MOVE, CONTINUE_MOVE, EXD_MP, HOME_START, AUTO_HOME, SET_LP, SET_EP})) {
            moved[card] |= static_cast<std::uint16_t>(args[1]);
        } else if (op == AXIS_ASSIGN) {
            assigned[card] = static_cast<std::uint16_t>(args[1] | args[2] | args[3]);
        } else if (isOneOf({LINE_2D, LINE_3D, ARC_CW, ARC_CCW, CIRCLE_CW, CIRCLE_CCW})) {
            moved[card] |= assigned[card];
        }
        return inner_.dispatch(op, args);
    }
    std::array<std::uint16_t, 8> moved{};
    std::array<std::uint16_t, 8> assigned{};

  private:
    MotionLibrary& inner_;
};

const char* const kTexts[] = {"",           "-",           "0",
                              "1",          "-1",          "20000",
                              "-20000",     "2147483647",  "-2147483648",
                              "2147483648", "99999999999", "12a",
                              "abc",        " 5 ",         "\xc3\xa9\xe2\x80\xae\xf0\x9f\x98\x80",
                              "+7"};

std::string randomText() {
    if (pick(20) == 0) return std::string(500, static_cast<char>('0' + pick(10)));
    return kTexts[pick(static_cast<int>(std::size(kTexts)))];
}

// One action on the window the user sees: the innermost modal one.
void act(QWidget* window) {
    std::vector<QWidget*> targets;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->isEnabled() || w->window() != window) continue;
        const auto* picture = qobject_cast<PictureControl*>(w);
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QTreeWidget*>(w) || (picture && picture->notifiesClicks())) {
            targets.push_back(w);
        } else if (auto* e = qobject_cast<QLineEdit*>(w); e && !e->isReadOnly()) {
            targets.push_back(w);
        }
    }
    const int roll = pick(100);
    const std::string title = window->windowTitle().toStdString();
    ++actionsIn[title];
    if (roll < 4 || targets.empty()) {
        const bool escape = roll < 2 || targets.empty();
        lastAction = title + (escape ? ": Escape" : ": Enter");
        QTest::keyClick(window, escape ? Qt::Key_Escape : Qt::Key_Return);
        return;
    }
    QWidget* w = targets[static_cast<std::size_t>(pick(static_cast<int>(targets.size())))];
    const std::string name = w->objectName().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int index = pick(combo->count() + 1) - 1;
        lastAction = title + ": list " + name + " item " + std::to_string(index);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        std::vector<QTreeWidgetItem*> items;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) items.push_back(*it);
        if (items.empty()) return;
        QTreeWidgetItem* item =
            items[static_cast<std::size_t>(pick(static_cast<int>(items.size())))];
        lastAction = title + ": tree " + item->text(0).toStdString();
        tree->setCurrentItem(item);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        const std::string text = randomText();
        lastAction = title + ": type into " + name + " \"" + text.substr(0, 20) + "\"";
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        const QString typed = QString::fromUtf8(text.c_str());
        if (std::ranges::all_of(typed, [](QChar c) { return c.unicode() < 0x7f; })) {
            QTest::keyClicks(edit, typed);
        } else {
            // What an input method sends: the text without a key of its own.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(edit, &press);
        }
    } else {
        lastAction = title + ": click " + name;
        QTest::mouseClick(w, Qt::LeftButton);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long actions = argc > 1 ? std::atol(argv[1]) : 20000;
    const QByteArray seedText = qgetenv("VELMIRA_SOAK_SEED");
    seed = seedText == "date"   ? QDate::currentDate().toString("yyyyMMdd").toULong()
           : seedText.isEmpty() ? static_cast<unsigned long>(
                                      std::chrono::system_clock::now().time_since_epoch().count())
                                : seedText.toULong();
    rng.seed(seed);
    std::printf("soak: seed %lu, %ld actions\n", seed, actions);
    std::fflush(stdout);

    ManualSimClock clock;
    SimRack rack(*parseSlotList(kDefaultRack).ids, {}, clock);
    SimMotionLibrary simLorvex(ModuleKind::Lorvex, rack);
    SimMotionLibrary simQuenby(ModuleKind::Quenby, rack);
    MotionWitness lorvex(simLorvex), quenby(simQuenby);
    SimBackplane backplane(rack);
    QTemporaryDir card;
    QDir(card.path()).mkdir("Pelmoran");
    AppState state;
    RandomBoxes boxes;
    ClockPacing pacing(clock);
    AppContext ctx{state, Hardware{&lorvex, &quenby, &backplane}, boxes, CardFiles(card.path()),
                   &pacing};
    ProgramScreens screens(ctx);

    // The watchdog: an action that never ends is a hang.
    std::atomic<long> done{0};
    std::thread([&done] {
        long seen = -1;
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(60));
            if (done.load() == seen) broken("no action has ended for 60 s: a hang");
            seen = done.load();
        }
    }).detach();

    std::array<std::array<std::int32_t, 4>, 8> positions{};
    std::uint8_t saved = 0;
    std::size_t heapAtMenu = 0;
    long menuVisits = 0;
    const auto check = [&] {
        const AppState& s = state;
        if (s.settingsSaved < saved) broken("settingsSaved went back to 0");
        saved = s.settingsSaved;
        if (s.currentKind != ModuleKind::None) {
            if (s.currentCard < 1 || s.currentCard > 7) broken("a card outside 1..7");
            const bool four = s.currentKind == ModuleKind::Lorvex;
            const std::uint32_t m = s.currentAxisMask;
            const bool maskOk = four ? (m == 1 || m == 2 || m == 4 || m == 8 || m == 15)
                                     : (m == 1 || m == 2 || m == 3);
            const bool indexOk = s.currentAxisIndex >= 0 && s.currentAxisIndex <= (four ? 4 : 2);
            if (!maskOk || !indexOk)
                broken("mask " + std::to_string(m) + ", index " +
                       std::to_string(s.currentAxisIndex));
            if (!s.moduleNodeSelected && m != (1u << s.currentAxisIndex)) {
                broken("an axis selection whose mask and index differ");
            }
            if (s.slotTable.entries[s.currentCard].kind != s.currentKind) {
                broken("the current kind is not the kind in its slot");
            }
        }
        for (const auto& [slot, lib, witness] :
             {std::tuple{1, &simLorvex, &lorvex}, std::tuple{3, &simLorvex, &lorvex},
              std::tuple{5, &simQuenby, &quenby}}) {
            if (!rack.isRegistered(slot)) continue;
            for (int axis = 0; axis < axisCount(lib->kind()); ++axis) {
                const std::int32_t p = lib->GET_LP(slot, 1u << axis);
                if (p != positions[slot][axis] && !(witness->moved[slot] & (1u << axis))) {
                    broken("axis " + std::to_string(axis) + " of slot " + std::to_string(slot) +
                           " moved without a call that moves it");
                }
                positions[slot][axis] = p;
            }
        }
    };

    long count = 0;
    // Each step first asks for the next: an action that opens a modal window
    // runs that window's loop, inside which the walk goes on.
    std::function<void()> step;
    step = [&] {
        QTimer::singleShot(0, step);
        QWidget* window = QApplication::activeModalWidget();
        if (!window) return;
        if (count >= actions) {
            QTest::keyClick(window, Qt::Key_Escape);
            return;
        }
        clock.advanceMs(pick(120));
        act(window);
        ++count;
        done.store(count);
        check();
        if (qobject_cast<CMainMenuDlg*>(QApplication::activeModalWidget())) {
            // Back at the menu every screen's rows are gone: the heap may not creep.
            const std::size_t heap = mallinfo2().uordblks;
            if (++menuVisits == 20) heapAtMenu = heap;
            if (menuVisits > 20 && heap > heapAtMenu + 64u * 1024 * 1024) {
                broken("the heap grew by " + std::to_string((heap - heapAtMenu) >> 20) +
                       " MB with every screen closed");
            }
        }
    };
    QTimer::singleShot(0, step);
    long runs = 0;
    while (count < actions) {
        CMainMenuDlg menu(ctx, screens);
        menu.exec();
        ++runs;
    }
    std::printf("soak: %ld actions in %ld runs of the main menu, %ld message boxes, seed %lu: ok\n",
                count, runs, boxes.shown, seed);
    for (const auto& [title, n] : actionsIn) std::printf("  %6ld in %s\n", n, title.c_str());
    return 0;
}
