// The tool on files the Configuration screen itself saved: its words are the
// screen's, and it finds nothing the screen could not have written.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

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

    // A set-up touching every kind of control, saved by the screen.
    void saveKnownSettings() {
        select(1001, "LorvexF in Slot:3");
        choose(1002, 3);  // all four axes: PULSE (Falling Edge) / Dir +
        select(1001, "LorvexF in Slot:3", "Axis_Y");
        choose(1005, 1);
        click(1183);
        click(1182);
        type(1123, "1500000");
        click(1181);
        click(1020);
        click(1023);
        choose(1033, 2);
        select(1001, "Quenby in Slot:5", "Axis_X");
        choose(1003, 3);
        choose(1007, 1);
        click(1015);
        choose(1018, 1);
        click(1013);
        choose(1016, 1);
        click(1177);
        type(1179, "20000");
        click(1008);
        click(1178);
        choose(1073, 1);
        choose(1004, 1);
        choose(1006, 1);
        click(1036);
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{"All of the settings saved !!"});
    }
};

TEST_F(ScreenFile, DumpMatchesTheGoldenText) {
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
}

TEST_F(ScreenFile, CheckFindsNothingTheScreenCouldNotHaveWritten) {
    saveKnownSettings();
    const test::ToolRun run = runTool({"check", file()});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("No problems found"), std::string::npos) << run.out;
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
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(entries[i].toObject()["name"].toString(),
                  kEntryNames[static_cast<std::size_t>(i)]);
    }
    const QJsonObject encoder = entries[6].toObject();
    EXPECT_EQ(encoder["enabled"].toInt(), 1);
    EXPECT_EQ(encoder["first"].toInt(), 3);
    EXPECT_EQ(encoder["second"].toInt(), 1);
    EXPECT_EQ(encoder["third"].toInt(), 0);
    EXPECT_EQ(encoder["padding"].toArray(), (QJsonArray{0, 0, 0}));
    EXPECT_EQ(encoder["text"].toString(), "Encoder Mode : CW/CCW, Z-Phase (Logic) High");
    EXPECT_EQ(encoder["unproducible"].toArray(), QJsonArray{});
    EXPECT_EQ(entries[11].toObject()["first"].toInt(), 20000);

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

// The words are tied to the screen's own lists and captions, item by item.
TEST_F(ScreenFile, WordsAreTheScreensItemsAndCaptions) {
    const auto item = [this](int id, int i) {
        return get<QComboBox>(id)->itemText(i).toStdString();
    };
    const auto count = [this](int id) { return get<QComboBox>(id)->count(); };
    const auto words = [](int entry, std::int32_t first, std::int32_t second = 0) {
        return entryWords(entry, {1, {}, first, second, 0});
    };
    struct List {
        int id;
        int entry;
        std::string label;
    };
    for (const List& l : {List{1002, 0, "Output Pulse Mode :"}, List{1073, 3, "LIMITSTOP_MODE "},
                          List{1004, 4, "NEAR HOME "}, List{1006, 5, "HOME (Logic) "},
                          List{1018, 8, "Enable Servo Alarm checked, Logic"},
                          List{1016, 9, "Enable INP/RDY checked, Logic "}}) {
        for (int i = 0; i < count(l.id); ++i) EXPECT_EQ(words(l.entry, i), l.label + item(l.id, i));
        EXPECT_NE(words(l.entry, count(l.id)).find("(no item"), std::string::npos) << l.id;
    }
    for (int i = 0; i < count(1005); ++i) {
        EXPECT_EQ(words(2, i, i), "LIMIT+/- (Logic) " + item(1005, i));
    }
    for (int m = 0; m < count(1003); ++m) {
        for (int z = 0; z < count(1007); ++z) {
            EXPECT_EQ(words(6, m, z),
                      "Encoder Mode : " + item(1003, m) + ", Z-Phase (Logic) " + item(1007, z));
        }
    }
    for (int d = 0; d < count(1033); ++d) {
        const std::string w = words(10, 0, d);
        EXPECT_EQ(w.substr(w.find("; ") + 2), "Input Signal Delay Time: " + item(1033, d));
    }
    const int filterIds[] = {1019, 1020, 1021, 1022, 1023};
    for (int bit = 0; bit < 5; ++bit) {
        EXPECT_EQ(words(10, 1 << bit, 0),
                  "Input Signal Filter: " + get<QCheckBox>(filterIds[bit])->text().toStdString() +
                      "; Input Signal Delay Time: " + item(1033, 0));
    }
    for (const auto& [id, entry] : {std::pair{1182, 1}, std::pair{1183, 7}, std::pair{1015, 8},
                                    std::pair{1013, 9}, std::pair{1177, 11}, std::pair{1178, 12}}) {
        EXPECT_EQ(words(entry, 0).rfind(get<QCheckBox>(id)->text().toStdString() + " checked", 0),
                  0u)
            << id;
    }
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
    ASSERT_EQ(loadAndApplySettings(image, 3, ModuleKind::Lorvex, ctx.hw, ctx.card, boxes), 0);
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
