#include "app/main_menu_dlg.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <initializer_list>

#include "hw/discovery.h"
#include "platform/memory.h"
#include "platform/panel.h"
#include "platform/picture_control.h"
#include "platform/resources.h"
#include "settings/settings_file.h"

namespace velmira {
namespace {

constexpr int kAppIcon = 128;
constexpr int kBackground = 205;
constexpr int kConfigurationIcon = 222;
constexpr int kAdvancedGrey = 225;
constexpr int kBasicGrey = 227;
constexpr int kBasicColour = 233;
constexpr int kAdvancedColour = 234;
constexpr int kExitIcon = 239;
constexpr int kExitButton = 2;
constexpr int kExitPicture = 1177;

struct Entry {
    QPushButton* button;
    QWidget* picture;  // at the button's left end
};

QSize fingerSize(const QSize& size) {
    return panelMode() ? size.expandedTo(kPanelButtonSize) : size;
}

// Moves a button and grows it to `size`, its picture with it, kept at its
// place from the left and in the middle of the height.
void place(const Entry& e, const QPoint& at, const QSize& size) {
    const QRect was = e.button->geometry();
    e.picture->move(e.picture->pos() + at - was.topLeft() +
                    QPoint(0, (size.height() - was.height()) / 2));
    e.button->setGeometry({at, size});
}

// Gives each button along the bottom the room its caption needs in the font
// found here (the template's widths cut "Advanced_Features" short) and, on a
// panel, a finger's size; the buttons after a wider one move along and the
// menu grows to hold them.
void fitAlongTheBottom(QWidget& menu, std::initializer_list<Entry> entries) {
    const int gap = entries.begin()->button->x();
    QPoint at = entries.begin()->button->pos();
    QSize size = menu.size();
    for (const Entry& e : entries) {
        QSize wanted = fingerSize(e.button->size());
        wanted.setWidth(std::max(wanted.width(), e.button->sizeHint().width()));
        place(e, at, wanted);
        at.rx() += wanted.width() + gap;
        size = size.expandedTo({at.x(), e.button->geometry().bottom() + 1 + gap});
    }
    menu.setFixedSize(size);
}

}  // namespace

CMainMenuDlg::CMainMenuDlg(AppContext& ctx, ScreenFactory& screens, QWidget* parent)
    : Dialog(ctx.boxes, parent), ctx_(ctx), screens_(screens) {
    setWindowTitle(QStringLiteral("Velmira"));
    setTemplateFont(8, {kBaseX, kBaseY});
    setTemplateSize({254, 170});

    addPicture(65535, kBackground, {0, 0, 297, 154}, false);
    QPushButton* configButton =
        addButton(1000, QStringLiteral("         Configuration"), {1, 143, 73, 26});
    basicButton_ = addButton(1001, QStringLiteral("         Basic_Operation"), {75, 143, 84, 26});
    advancedButton_ =
        addButton(1002, QStringLiteral("         Advanced_Features"), {161, 143, 92, 26});
    PictureControl* configPicture = addPicture(1176, kConfigurationIcon, {4, 147, 20, 20}, true);
    basicPicture_ = addPicture(1170, kBasicGrey, {78, 148, 20, 20}, true);
    advancedPicture_ = addPicture(1169, kAdvancedGrey, {163, 149, 20, 20}, true);
    // Hidden holders of the grey and coloured forms of the two pictures.
    addPicture(1172, kBasicGrey, {82, 90, 20, 20}, false)->hide();
    addPicture(1173, kAdvancedGrey, {161, 116, 20, 20}, false)->hide();
    holderAdvancedColour_ = addPicture(1174, kAdvancedColour, {163, 93, 20, 20}, false);
    holderBasicColour_ = addPicture(1175, kBasicColour, {79, 116, 20, 20}, false);
    holderAdvancedColour_->hide();
    holderBasicColour_->hide();

    connect(configButton, &QPushButton::clicked, this, &CMainMenuDlg::openConfiguration);
    connect(configPicture, &PictureControl::clicked, this, &CMainMenuDlg::openConfiguration);
    connect(basicButton_, &QPushButton::clicked, this, &CMainMenuDlg::openBasicOperation);
    connect(advancedButton_, &QPushButton::clicked, this, &CMainMenuDlg::openAdvancedFeatures);
    connect(basicPicture_, &PictureControl::clicked, this, [this] {
        if (ctx_.state.settingsSaved) openBasicOperation();
    });
    connect(advancedPicture_, &PictureControl::clicked, this, [this] {
        if (ctx_.state.settingsSaved) openAdvancedFeatures();
    });

    const int templateWidth = width();
    fitAlongTheBottom(*this, {{configButton, configPicture},
                              {basicButton_, basicPicture_},
                              {advancedButton_, advancedPicture_}});

    const QIcon icon = resourceIcon(kAppIcon);
    setWindowIcon(icon);
    if (panelMode()) {
        // A panel has no window frame to close the menu by, so the menu ends
        // the program itself, from the free corner of its picture.
        const Entry exit{addButton(kExitButton, QStringLiteral("         Exit"), {195, 3, 57, 26}),
                         addPicture(kExitPicture, kExitIcon, {198, 7, 20, 20}, true)};
        exit.button->setAccessibleName(QStringLiteral("Exit"));
        for (const int id : {kExitButton, kExitPicture}) onClick(id, [this] { reject(); });
        // Its right edge as far from the menu's as the template has it.
        QRect placed({}, fingerSize(exit.button->size()));
        placed.moveTopRight(exit.button->geometry().topRight() +
                            QPoint(width() - templateWidth, 0));
        place(exit, placed.topLeft(), placed.size());
        fillScreen(size());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    basicButton_->setEnabled(false);
    advancedButton_->setEnabled(false);
}

void CMainMenuDlg::enableOperationEntries() {
    basicButton_->setEnabled(true);
    advancedButton_->setEnabled(true);
    basicPicture_->showResource(holderBasicColour_->resource());
    advancedPicture_->showResource(holderAdvancedColour_->resource());
}

void CMainMenuDlg::servoOffCurrent() {
    AppState& s = ctx_.state;
    if (MotionLibrary* lib = ctx_.hw.library(s.currentKind)) {
        lib->SERVO_OFF(s.currentCard, allAxesMask(s.currentKind));
        s.recordServo(s.currentCard, allAxesMask(s.currentKind), true);
        s.advServoIsOff = 1;
    }
}

void CMainMenuDlg::openConfiguration() {
    runPair(Next::Configuration);
}

void CMainMenuDlg::openBasicOperation() {
    runPair(Next::BasicOperation);
}

// The two screens hand over to each other through their switch result. A loop,
// not a call chain: each screen is gone before the next opens, so switching
// back and forth any number of times costs nothing.
void CMainMenuDlg::runPair(Next first) {
    for (Next next = first; next != Next::None;) {
        next = next == Next::Configuration ? visitConfiguration() : visitBasicOperation();
        releaseFreedMemory();  // the visit's rows are gone with its screen
    }
}

CMainMenuDlg::Next CMainMenuDlg::visitConfiguration() {
    std::unique_ptr<WorkingScreen> screen = screens_.configuration(this, carried_);
    AppState& s = ctx_.state;
    probeSlots(s.slotTable, *ctx_.hw.backplane);
    if (s.slotTable.moduleCount == 0) {
        boxes().show(
            {"NO Lorvex/Quenby in Coralt!!", "Information", BoxIcon::Stop, BoxButtons::Ok});
        return Next::None;
    }
    const int result = screen->exec();
    if (result == kResultSwitch) {
        enableOperationEntries();
        if (!s.settingsSaved) {
            const BoxAnswer answer = boxes().show(
                {"Save all of settings?", "Information", BoxIcon::Question, BoxButtons::YesNo});
            if (answer == BoxAnswer::Yes) {
                const SaveResult saved = saveSettings(s.settings, ctx_.card, ctx_.backups);
                if (!saved.ok()) boxes().error(saved.error());
                if (const std::string notes = backupNotes(saved); !notes.empty()) {
                    boxes().show({notes, "Information", BoxIcon::Information, BoxButtons::Ok});
                }
            }
            s.settingsSaved = 1;
        }
        servoOffCurrent();
        return Next::BasicOperation;
    }
    if (result == kResultReturn) {
        if (s.settingsSaved) enableOperationEntries();
        servoOffCurrent();
    }
    return Next::None;
}

CMainMenuDlg::Next CMainMenuDlg::visitBasicOperation() {
    std::unique_ptr<WorkingScreen> screen = screens_.basicOperation(this, carried_);
    const int result = screen->exec();
    carried_ = screen->carried();
    if (result == kResultSwitch || result == kResultReturn) servoOffCurrent();
    return result == kResultSwitch ? Next::Configuration : Next::None;
}

void CMainMenuDlg::openAdvancedFeatures() {
    // Declared first, so it runs once the screen and its rows are gone.
    struct Release {
        ~Release() { releaseFreedMemory(); }
    } release;
    std::unique_ptr<WorkingScreen> screen = screens_.advancedFeatures(this);
    const AppState& s = ctx_.state;
    if (s.currentKind == ModuleKind::Lorvex) {
        const int result = screen->exec();
        if (result == kResultSwitch || result == kResultReturn) {
            ctx_.hw.lorvex->SERVO_OFF(s.currentCard, 15);
            // Every axis is off now: both screens' servo buttons say so.
            ctx_.state.recordServo(s.currentCard, 15, true);
            ctx_.state.advServoIsOff = 1;
        }
    } else if (s.currentKind == ModuleKind::Quenby) {
        boxes().show({"Quenby is NOT avaliable in Advance Page", "Information",
                      BoxIcon::Information, BoxButtons::Ok});
    }
}

}  // namespace velmira
