// The tool on files the Configuration screen itself saved: its words are the
// screen's, and it finds nothing the screen could not have written.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>

#include "config/configuration_dlg.h"
#include "settings/settings_file.h"
#include "settings/settings_words.h"
#include "support/recorded_bench.h"
#include "support/screen_driver.h"
#include "tool/tool_run.h"

namespace velmira {
namespace {

using test::runTool;

class ScreenFile : public ::testing::Test,
                   protected test::RecordedBench,
                   protected test::ScreenDriver<CConfigurationDlg> {
  protected:
    void SetUp() override {
        ids[3] = 83;  // LorvexF in slot 3
        ids[5] = 82;  // Quenby in slot 5
        log.setResult("lorvexMF_REGISTRATION", 1);
        log.setResult("quenbyMF_REGISTRATION", 1);
        screen = std::make_unique<CConfigurationDlg>(ctx, CarriedValues{});
        screen->initDialog();
        screen->show();
    }

    QString file() const { return card.path() + "/Pelmoran/Orvo/lorvex_Config.ini"; }

    // A set-up touching every kind of control, saved by the screen: a click,
    // or a list item chosen, or a text typed.
    void saveKnownSettings() {
        struct Step {
            int id;
            int choice = -1;
            const char* text = nullptr;
        };
        const auto act = [this](std::initializer_list<Step> steps) {
            for (const Step& s : steps) {
                s.text ? type(s.id, s.text) : s.choice < 0 ? click(s.id) : choose(s.id, s.choice);
            }
        };
        select(1001, "LorvexF in Slot:3");
        act({{1002, 3}});  // all four axes: PULSE (Falling Edge) / Dir +
        select(1001, "LorvexF in Slot:3", "Axis_Y");
        act({{1005, 1}, {1183}, {1182}, {1123, -1, "1500000"}, {1181}, {1020}, {1023}, {1033, 2}});
        select(1001, "Quenby in Slot:5", "Axis_X");
        act({{1003, 3}, {1007, 1}, {1015}, {1018, 1}, {1013}, {1016, 1}, {1177}});
        act({{1179, -1, "20000"}, {1008}, {1178}, {1073, 1}, {1004, 1}, {1006, 1}, {1036}});
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{"All of the settings saved !!"});
    }
};

TEST_F(ScreenFile, DumpMatchesTheGoldenTextAndCheckFindsNothing) {
    saveKnownSettings();
    const test::ToolRun run = runTool({"dump", file()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    QString text = QString::fromStdString(run.out);
    text.replace(file(), QStringLiteral("lorvex_Config.ini"));

    const QString golden = QStringLiteral(VELMIRA_TOOL_GOLDEN);
    if (qEnvironmentVariableIsSet("VELMIRA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(test::writeBytes(golden, text.toUtf8()));
    }
    EXPECT_EQ(text.toStdString(), test::fileBytes(golden).toStdString())
        << "VELMIRA_UPDATE_GOLDEN=1 rewrites " << golden.toStdString();

    // Nothing the screen could not have written.
    const test::ToolRun check = runTool({"check", file()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("No problems found"), std::string::npos) << check.out;
}

TEST_F(ScreenFile, JsonParsesBackToTheStoredValues) {
    saveKnownSettings();
    const test::ToolRun run = runTool({"dump", "--json", file()});
    ASSERT_EQ(run.status, 0) << run.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject top = doc.object();
    EXPECT_EQ(top["schema"].toString(), "velmira-config/1");
    EXPECT_EQ(top["file"].toString(), file());
    EXPECT_EQ(top["bytes"].toInteger(), 7488);
    const QJsonArray records = top["records"].toArray();
    ASSERT_EQ(records.size(), 5) << "the four axes of card 3 and Axis_X of card 5";

    const QJsonObject quenby = records[4].toObject();
    EXPECT_EQ(quenby["card"].toInt(), 5);
    EXPECT_EQ(quenby["axis"].toString(), "X");
    EXPECT_EQ(quenby["record"].toInt(), 20);
    const QJsonArray entries = quenby["entries"].toArray();
    ASSERT_EQ(entries.size(), 13);
    const QJsonObject encoder = entries[6].toObject();
    EXPECT_EQ(encoder["padding"].toArray(), (QJsonArray{0, 0, 0}));
    EXPECT_EQ(encoder["text"].toString(), "Encoder Mode : CW/CCW, Z-Phase (Logic) High");
    EXPECT_EQ(encoder["unproducible"].toArray(), QJsonArray{});

    // Every value in the JSON is the one in the program's image.
    for (const QJsonValue& r : records) {
        const QJsonObject record = r.toObject();
        const AxisSettings& stored =
            state.settings.records.at(static_cast<std::size_t>(record["record"].toInt()));
        const QJsonArray es = record["entries"].toArray();
        for (int i = 0; i < 13; ++i) {
            const SettingEntry& e = stored.*kSettingEntries[static_cast<std::size_t>(i)];
            const QJsonObject j = es[i].toObject();
            EXPECT_EQ(j["enabled"].toInt(), e.enabled);
            EXPECT_EQ(j["first"].toInteger(), e.first);
            EXPECT_EQ(j["second"].toInteger(), e.second);
        }
    }
    const test::ToolRun all = runTool({"dump", file(), "--json", "--all"});
    EXPECT_EQ(
        QJsonDocument::fromJson(QByteArray::fromStdString(all.out))["records"].toArray().size(),
        36);
}

// A set is loaded by the program as if the screen had made that one setting.
TEST_F(ScreenFile, ASetEntryIsAppliedAloneOnLoad) {
    ASSERT_TRUE(QDir(card.path()).mkpath("Pelmoran/Orvo"));
    ASSERT_EQ(runTool({"new", file()}).status, 0);
    const test::ToolRun set = runTool({"set", file(), "--card", "3", "--axis", "Y", "--entry",
                                       "vring", "--enabled", "1", "--first", "12345"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_NE(set.out.find("card 3 Axis_Y vring: Enable VRING unchecked, VRING 0 Pulse (the "
                           "screen shows 10000) -> Enable VRING checked, VRING 12345 Pulse"),
              std::string::npos)
        << set.out;

    log.clear();
    SettingsImage image;
    ASSERT_TRUE(loadAndApplySettings(image, 3, ModuleKind::Lorvex, ctx.hw, ctx.card).ok());
    std::vector<std::string> expected;
    for (int mask : {1, 2, 4, 8}) {
        const std::string axis = "(3," + std::to_string(mask);
        expected.push_back("lorvexMF_SERVO_OFF" + axis + ")");
        if (mask == 2) expected.push_back("lorvexMF_VRING_ENABLE(3,2,12345)");
        expected.push_back("lorvexMF_AVTRI_DISABLE" + axis + ")");
    }
    EXPECT_EQ(log.texts(), expected);
    EXPECT_EQ(image.record(3, 1).vring.first, 12345);

    // And the screen shows it.
    select(1001, "LorvexF in Slot:3", "Axis_Y");
    click(1035);
    EXPECT_TRUE(get<QCheckBox>(1177)->isChecked());
    EXPECT_EQ(get<QLineEdit>(1179)->text(), "12345");
}

}  // namespace
}  // namespace velmira
