#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <csignal>

#include "support/call_log.h"
#include "support/small_card.h"

namespace velmira {
namespace {

class SettingsFile : public test::CardFolder {
  protected:
    Result<> load(std::uint8_t card, ModuleKind kind) {
        return CardFolder::load(image, card, kind, hw);
    }

    CallLog log;
    RecordingMotionLibrary lorvex{ModuleKind::Lorvex, log};
    RecordingMotionLibrary quenby{ModuleKind::Quenby, log};
    Hardware hw{&lorvex, &quenby, nullptr};
    SettingsImage image;
};

// The folders the file needs are made on the card (a card that is not there
// is not made: see CardFileSafety).
TEST_F(SettingsFile, SavesAndLoadsTheImageByteForByte) {
    ASSERT_TRUE(QDir(dir.path() + "/Pelmoran").removeRecursively());
    SettingsImage::Bytes pattern{};  // every byte, the padding too
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = std::uint8_t(i * 7 + 3);
    image.assignPrefix(pattern);
    ASSERT_TRUE(save(image).ok());
    EXPECT_EQ(read(file()), bytesOf(image)) << "the folders are made and the file is the raw image";
    image = SettingsImage{};
    ASSERT_TRUE(load(1, ModuleKind::None).ok());
    EXPECT_EQ(image.toBytes(), pattern);
}

TEST_F(SettingsFile, ShortFileReplacesOnlyTheBytesItHolds) {
    image.record(8, 3).vring.first = 123456;
    image.record(0, 0).maxV = {1, {}, 99, 0, 0};
    QByteArray head(20, '\0');
    head[0] = 1;
    head[4] = 5;
    write(file(), head);
    ASSERT_TRUE(load(1, ModuleKind::None).ok());
    EXPECT_EQ(image.record(0, 0).pulseMode.enabled, 1);
    EXPECT_EQ(image.record(0, 0).pulseMode.first, 5);
    EXPECT_EQ(image.record(0, 0).maxV.enabled, 0) << "bytes 16..19 were in the file";
    EXPECT_EQ(image.record(0, 0).maxV.first, 99) << "bytes 20.. were not";
    EXPECT_EQ(image.record(8, 3).vring.first, 123456);
}

TEST_F(SettingsFile, SavingOverALongerFileKeepsItsTailUpToOneMebibyte) {
    QByteArray old(7488, 'x');
    const QByteArray tail = QByteArray("notes kept by another tool\n").repeated(5000);
    write(file(), old + tail);
    image.record(2, 0).nearHome = {1, {}, 1, 0, 0};
    ASSERT_TRUE(save(image).ok());
    EXPECT_EQ(read(file()), bytesOf(image) + tail);

    // Loading such a file takes only the image, and applies the given card.
    image = SettingsImage{};
    ASSERT_TRUE(load(2, ModuleKind::Quenby).ok());
    EXPECT_EQ(image.record(2, 0).nearHome.enabled, 1);
    EXPECT_EQ(log.textsOf("quenbyMF_SET_NHOME"),
              std::vector<std::string>{"quenbyMF_SET_NHOME(2,1,1)"});

    const QByteArray most(1 << 20, 't');
    write(file(), old + most);
    ASSERT_TRUE(save(image).ok());
    EXPECT_EQ(read(file()), bytesOf(image) + most);

    // A byte more, or a huge sparse file, would be copied whole into the new
    // file and into its backup: refused at once, and nothing is lost.
    for (const qint64 size : {qint64{7488 + (1 << 20) + 1}, qint64{512} << 20}) {
        write(file(), old);
        ASSERT_TRUE(QFile::resize(file(), size));
        QElapsedTimer took;
        took.start();
        EXPECT_EQ(save(image).error(),
                  std::string(kWriteFailedText) + "\nis " + std::to_string(size) +
                      " bytes long, more than the 7488 of the image and the "
                      "1 MiB after it that a save keeps: move it aside to save");
        EXPECT_LT(took.elapsed(), 1000) << size;
        EXPECT_EQ(QFileInfo(file()).size(), size);
        EXPECT_EQ(read(file()).left(7488), old);
    }
    EXPECT_EQ(listBackups(file()).size(), 2u) << "only the two saves made backups";
}

TEST_F(SettingsFile, FullCardFailsAndLeavesTheOldFile) {
    const QByteArray old(7488, 'o');
    write(file(), old);
    image.record(1, 0).maxV = {1, {}, 5000, 0, 0};

    // A file-size limit below the image makes the card "full" part-way.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const SaveResult result = save(image);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.error(), std::string(kWriteFailedText) +
                                  "\nno room for the file (it would exceed the file size allowed)");
    EXPECT_EQ(read(file()), old);
    EXPECT_EQ(entries(folder()), "lorvex_Config.ini") << "no temporary file is left behind";
}

TEST_F(SettingsFile, AppliesEveryEnabledSettingInOrderWithLowBytes) {
    AxisSettings& r = image.record(3, 1);
    r.pulseMode = {1, {}, 0x105, 0, 0};  // only the low byte goes out
    r.maxV = {1, {}, 2000000, 0, 0};
    r.hardLimit = {1, {}, 1, 0, 0};
    r.limitStopMode = {1, {}, 1, 0, 0};
    r.nearHome = {1, {}, 0, 0, 0};
    r.homeEdge = {1, {}, 1, 0, 0};
    r.encoder = {1, {}, 3, 1, 0};
    r.servoOn = {1, {}, 0, 0, 0};
    r.alarm = {1, {}, 0, 0, 0};  // "on" comes before "logic": with logic 0 the orders differ
    r.inPos = {1, {}, 0, 0, 0};
    r.filter = {1, {}, 18, 5, 0};
    r.vring = {1, {}, 10000, 0, 0};
    r.avtri = {1, {}, 0, 0, 0};
    applyCardSettings(image, 3, ModuleKind::Quenby, hw);
    const std::vector<std::string> all = log.texts();
    const std::vector<std::string> axisY(all.begin() + 2, all.end());
    EXPECT_EQ(axisY, (std::vector<std::string>{
                         "quenbyMF_SET_PULSE_MODE(3,2,5)", "quenbyMF_SET_MAX_V(3,2,2000000)",
                         "quenbyMF_SET_HLMT(3,2,1,0)", "quenbyMF_LIMITSTOP_MODE(3,2,1)",
                         "quenbyMF_SET_NHOME(3,2,0)", "quenbyMF_SET_HOME_EDGE(3,2,1)",
                         "quenbyMF_SET_ENCODER(3,2,1,0,1)", "quenbyMF_SERVO_ON(3,2)",
                         "quenbyMF_SET_ALARM(3,2,1,0)", "quenbyMF_SET_INPOS(3,2,1,0)",
                         "quenbyMF_SET_FILTER(3,2,18,5)", "quenbyMF_VRING_ENABLE(3,2,10000)",
                         "quenbyMF_AVTRI_ENABLE(3,2)"}));
}

TEST_F(SettingsFile, OneRoundPerAxisOfTheKindAndNoneWithoutAKind) {
    applyCardSettings(image, 2, ModuleKind::Lorvex, hw);
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"lorvexMF_SERVO_OFF(2,1)", "lorvexMF_AVTRI_DISABLE(2,1)",
                                        "lorvexMF_SERVO_OFF(2,2)", "lorvexMF_AVTRI_DISABLE(2,2)",
                                        "lorvexMF_SERVO_OFF(2,4)", "lorvexMF_AVTRI_DISABLE(2,4)",
                                        "lorvexMF_SERVO_OFF(2,8)", "lorvexMF_AVTRI_DISABLE(2,8)"}))
        << "an all-disabled record still sends its off states";
    log.clear();
    applyCardSettings(image, 2, ModuleKind::None, hw);
    EXPECT_TRUE(log.calls().empty());
}

TEST_F(SettingsFile, EncoderIndexFromAnotherProgramMeansNoSelection) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "lorvexMF_SET_ENCODER(1,1,0,0,1)"}, {1, "lorvexMF_SET_ENCODER(1,1,0,1,1)"},
        {2, "lorvexMF_SET_ENCODER(1,1,0,2,1)"}, {3, "lorvexMF_SET_ENCODER(1,1,1,0,1)"},
        {4, "lorvexMF_SET_ENCODER(1,1,0,0,1)"}, {-7, "lorvexMF_SET_ENCODER(1,1,0,0,1)"}};
    for (const auto& [index, expected] : cases) {
        log.clear();
        image.record(1, 0).encoder = {1, {}, index, 1, 0};
        applyCardSettings(image, 1, ModuleKind::Lorvex, hw);
        EXPECT_EQ(log.textsOf("lorvexMF_SET_ENCODER").at(0), expected) << "index " << index;
    }
}

TEST(SettingsImage, FieldsLandAtTheirFileOffsetsLittleEndian) {
    SettingsImage image;
    AxisSettings& r = image.record(1, 2);  // record 6
    r.encoder.enabled = 1;
    r.encoder.first = 0x01020304;
    r.encoder.second = -2;
    r.avtri.third = 0x7F000001;
    const auto bytes = image.toBytes();

    const std::size_t encoder = 208 * 6 + 96;
    EXPECT_EQ(bytes[encoder], 1);
    EXPECT_EQ(bytes[encoder + 4], 0x04);
    EXPECT_EQ(bytes[encoder + 7], 0x01);
    EXPECT_EQ(bytes[encoder + 8], 0xFE);
    for (int i = 9; i < 12; ++i) EXPECT_EQ(bytes[encoder + i], 0xFF);
    const std::size_t avtriThird = 208 * 6 + 192 + 12;
    EXPECT_EQ(bytes[avtriThird], 0x01);
    EXPECT_EQ(bytes[avtriThird + 3], 0x7F);
}

}  // namespace
}  // namespace velmira
