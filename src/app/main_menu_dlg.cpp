#include "app/main_menu_dlg.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

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

    const QIcon icon = resourceIcon(kAppIcon);
    setWindowIcon(icon);
    if (panelMode()) {
        // A panel has no window frame to close the menu by, so the menu ends
        // the program itself, from the free corner of its picture.
        addButton(kExitButton, QStringLiteral("         Exit"), {195, 3, 57, 26})
            ->setAccessibleName(QStringLiteral("Exit"));
        addPicture(kExitPicture, kExitIcon, {198, 7, 20, 20}, true);
        for (const int id : {kExitButton, kExitPicture}) onClick(id, [this] { reject(); });
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
