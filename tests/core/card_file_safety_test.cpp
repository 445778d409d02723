// What a save and a load do with whatever stands where the configuration file
// should be, and with what earlier saves left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "hw/call_log.h"
#include "platform/atomic_file.h"
#include "settings/settings_file.h"
#include "support/ordinary_user.h"
#include "support/scripted_boxes.h"

namespace velmira {
namespace {

using Texts = std::vector<std::string>;

class CardFileSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(folder()));
        image.record(1, 0).maxV = {1, {}, 123456, 0, 0};
    }
    QString folder() const { return dir.path() + "/Pelmoran/Orvo"; }
    QString file() const { return folder() + "/lorvex_Config.ini"; }
    std::string name(const QString& path) const { return QFile::encodeName(path).toStdString(); }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray imageBytes() const {
        const auto b = image.toBytes();
        return {reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())};
    }
    // Saves as an ordinary user, to folders anyone may write to; the message of
    // the refusal the save must give.
    QByteArray refusalToAnOrdinaryUser() {
        for (const QString& d : {dir.path(), dir.path() + "/Pelmoran", folder()}) {
            EXPECT_EQ(::chmod(name(d).c_str(), 0777), 0);
        }
        const QString message = dir.path() + "/message";
        const int status = test::asOrdinaryUser([&] {
            const int result = save();
            QFile out(message);
            if (out.open(QIODevice::WriteOnly))
                out.write(boxes.texts().empty() ? "" : boxes.texts()[0].c_str());
            return result == -1 ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << "the save refused";
        return read(message);
    }
    // Backups have tests of their own; here the folder holds only what these make.
    int save(std::chrono::milliseconds lockWait = kScreenLockWait) {
        return saveSettings(image, CardFiles(root), boxes, 0, lockWait).status;
    }
    int load(std::chrono::milliseconds lockWait = kScreenLockWait) {
        SettingsImage loaded;
        return loadAndApplySettings(loaded, 1, ModuleKind::None, Hardware{}, CardFiles(root), boxes,
                                    lockWait);
    }
    // The names in a folder, sorted, on one line.
    static std::string entries(const QString& where) {
        QStringList names =
            QDir(where).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        names.sort();
        return names.join(u' ').toStdString();
    }
    static mode_t modeOf(const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    QTemporaryDir dir;
    QString root = dir.path();
    test::ScriptedBoxes boxes;
    SettingsImage image;
};

TEST_F(CardFileSafety, APipeInPlaceOfTheFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo(name(file()).c_str(), 0600), 0);
    CallLog log;
    RecordingMotionLibrary lorvex(ModuleKind::Lorvex, log);
    EXPECT_EQ(
        loadAndApplySettings(image, 1, ModuleKind::Lorvex, Hardware{&lorvex, nullptr, nullptr},
                             CardFiles(dir.path()), boxes),
        -1);
    EXPECT_TRUE(log.calls().empty());
    EXPECT_EQ(save(), -1);
    EXPECT_EQ(boxes.texts(),
              (Texts{"Can not open the Configuration INI File\nnot a regular file (a pipe)",
                     "Can not write the Configuration INI File\nnot a regular file (a pipe)"}));
    struct stat st {};
    ASSERT_EQ(::lstat(name(file()).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "still the pipe, not replaced";
}

TEST_F(CardFileSafety, LeftoversOfInterruptedSavesAndOnlyThoseGoBeforeASave) {
    write(file(), QByteArray(7488, 'o'));
    for (const char* leftover : {"lorvex_Config.ini.tmp-Ab12Cd", "lorvex_Config.ini.tmp-ZZZZZZ"}) {
        write(folder() + "/" + leftover, QByteArray(7488, 't'));
    }
    const QStringList kept{"lorvex_Config.ini.backup", "lorvex_Config.ini.bak",
                           "lorvex_Config.ini.tmp-abc", "lorvex_Config.ini.tmp-Ab12Cd7",
                           "notes.tmp-Ab12Cd"};
    for (const QString& other : kept) write(folder() + "/" + other, "keep me");
    ASSERT_TRUE(QDir(folder()).mkdir("lorvex_Config.ini.tmp-Dir123"));
    ASSERT_EQ(save(), 0);
    QStringList expected = kept;
    expected << "lorvex_Config.ini"
             << "lorvex_Config.ini.tmp-Dir123";
    expected.sort();
    EXPECT_EQ(entries(folder()), expected.join(u' ').toStdString());
    EXPECT_EQ(read(file()), imageBytes());
}

TEST_F(CardFileSafety, ALinkIsFollowedAndItsTargetReplacedInItsOwnFolder) {
    const QString elsewhere = dir.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString real = elsewhere + "/real.ini";
    write(real, QByteArray(7488, 'o') + "tail");
    ASSERT_EQ(::chmod(name(real).c_str(), 0640), 0);
    ASSERT_EQ(::symlink("../../elsewhere/real.ini", name(file()).c_str()), 0);
    ASSERT_EQ(save(), 0) << (boxes.texts().empty() ? "" : boxes.texts()[0]);
    EXPECT_TRUE(QFileInfo(file()).isSymLink()) << "the link stays a link";
    EXPECT_EQ(read(real), imageBytes() + "tail");
    EXPECT_EQ(modeOf(real), 0640u) << "an existing file keeps its mode";
    EXPECT_EQ(entries(elsewhere), "real.ini");

    // A link out of the card, to a device here, is refused; the device keeps its mode.
    ASSERT_EQ(::unlink(name(file()).c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", name(file()).c_str()), 0);
    const mode_t deviceMode = modeOf("/dev/null");
    EXPECT_EQ(save(), -1);
    EXPECT_EQ(boxes.texts().back(),
              "Can not write the Configuration INI File\nthe path leads out of the card");
    EXPECT_EQ(modeOf("/dev/null"), deviceMode);
    EXPECT_TRUE(QFileInfo(file()).isSymLink());

    // A link to a file not there yet creates it, with the usual mode.
    ASSERT_EQ(::unlink(name(file()).c_str()), 0);
    ASSERT_EQ(::symlink(name(elsewhere + "/new.ini").c_str(), name(file()).c_str()), 0);
    const mode_t mask = ::umask(022);
    EXPECT_EQ(save(), 0);
    ::umask(mask);
    EXPECT_EQ(read(elsewhere + "/new.ini"), imageBytes());
    EXPECT_EQ(modeOf(elsewhere + "/new.ini"), 0644u) << "not 0600 as a temporary file has";
}

TEST_F(CardFileSafety, AFileTheUserMayNotWriteIsNotReplaced) {
    const QByteArray old(7488, 'o');
    write(file(), old);
    ASSERT_EQ(::chmod(name(file()).c_str(), 0444), 0);
    const QByteArray message = refusalToAnOrdinaryUser();
    EXPECT_EQ(message, "Can not write the Configuration INI File\nno permission");
    EXPECT_EQ(read(file()), old);
    EXPECT_EQ(modeOf(file()), 0444u);
}

TEST_F(CardFileSafety, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const QByteArray tail = "notes after the image";
    write(file(), QByteArray(7488, 'o') + tail);
    ASSERT_EQ(::chmod(name(file()).c_str(), 0666), 0);
    ASSERT_EQ(::chmod(name(dir.path()).c_str(), 0755), 0);
    ASSERT_EQ(::chmod(name(folder()).c_str(), 0555), 0);  // no temporary file can be made
    const int status = test::asOrdinaryUser([&] { return save(); });
    ::chmod(name(folder()).c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read(file()), imageBytes() + tail);
    EXPECT_EQ(entries(folder()), "lorvex_Config.ini");
}

// Whatever stands where the file should be: each load and save either works
// on a regular file or refuses with the reason, and nothing hangs. The card is
// given by a relative path, as a user may type it.
TEST_F(CardFileSafety, EveryKindOfThingInPlaceOfTheFile) {
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* loadReason;  // nullptr: the load works
        const char* saveReason;  // nullptr: the save works
    };
    const char* loop = "the symbolic links lead round in a circle (or too many follow each other)";
    const Case cases[] = {
        {"a folder", [&] { QDir().mkpath(file()); }, "is a folder, not a file",
         "is a folder, not a file"},
        {"a link to a folder", [&] { ::symlink("..", name(file()).c_str()); },
         "is a folder, not a file", "is a folder, not a file"},
        {"a link to itself", [&] { ::symlink("lorvex_Config.ini", name(file()).c_str()); }, loop,
         loop},
        {"a link out of the card", [&] { ::symlink("/dev/zero", name(file()).c_str()); },
         "the path leads out of the card", "the path leads out of the card"},
        {"a pipe", [&] { ::mkfifo(name(file()).c_str(), 0600); }, "not a regular file (a pipe)",
         "not a regular file (a pipe)"},
        {"a dangling link", [&] { ::symlink("gone.ini", name(file()).c_str()); },
         "no such file or folder", nullptr},
        {"an empty file", [&] { write(file(), {}); }, nullptr, nullptr},
        {"a short file", [&] { write(file(), QByteArray(100, 'x')); }, nullptr, nullptr},
        {"a long file", [&] { write(file(), QByteArray(100000, 'x')); }, nullptr, nullptr},
    };
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path() + "/.."));
    root = QFileInfo(dir.path()).fileName();
    for (const Case& c : cases) {
        QDir(folder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder()));
        c.make();
        boxes.clear();
        EXPECT_EQ(load(), c.loadReason ? -1 : 0) << c.what;
        if (c.loadReason) {
            EXPECT_EQ(
                boxes.texts(),
                Texts{std::string("Can not open the Configuration INI File\n") + c.loadReason})
                << c.what;
        }
        boxes.clear();
        EXPECT_EQ(save(), c.saveReason ? -1 : 0) << c.what;
        if (c.saveReason) {
            EXPECT_EQ(
                boxes.texts(),
                Texts{std::string("Can not write the Configuration INI File\n") + c.saveReason})
                << c.what;
        } else {
            EXPECT_EQ(read(file()).left(7488), imageBytes()) << c.what;
        }
    }
    QDir::setCurrent(cwd);
}

// A save by another user (root, through sudo) leaves the file its owner's;
// one that could not keep the owner refuses and says whose file it is.
TEST_F(CardFileSafety, TheFileKeepsItsOwnerAndGroup) {
    write(file(), QByteArray(7488, 'o'));
    if (::chown(name(file()).c_str(), 4321, 4322) != 0) GTEST_SKIP() << "not root";
    ASSERT_EQ(::chmod(name(file()).c_str(), 0646), 0);
    ASSERT_EQ(saveSettings(image, CardFiles(dir.path()), boxes, 1).status, 0);
    const auto owner = [](const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return QString("%1:%2 %3").arg(st.st_uid).arg(st.st_gid).arg(st.st_mode & 0777, 0, 8);
    };
    EXPECT_EQ(owner(file()), "4321:4322 646");
    ASSERT_EQ(listBackups(file()).size(), 1u);
    EXPECT_EQ(owner(listBackups(file())[0]), "4321:4322 646") << "the backup is the owner's too";

    const QByteArray message = refusalToAnOrdinaryUser();
    EXPECT_EQ(message,
              "Can not write the Configuration INI File\nbelongs to uid 4321, group gid 4322, and "
              "a save by nobody (uid 65534) would take it from them (save it as its owner or as "
              "root)");
    EXPECT_EQ(owner(file()), "4321:4322 646");
    EXPECT_EQ(read(file()), imageBytes());
    EXPECT_EQ(entries(folder()),
              "lorvex_Config.ini " + listBackups(file())[0].section('/', -1).toStdString());
}

// What another process is writing is its own: a start leaves it, and a save
// or load waits for that writer, then says why it gave up.
TEST_F(CardFileSafety, WhatALiveWriterMakesIsLeftToIt) {
    write(file(), QByteArray(7488, 'o'));
    const QString live = file() + ".tmp-Live00";
    write(live, QByteArray(7488, 'n'));
    const int folderFd = ::open(name(folder()).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);
    ASSERT_EQ(::flock(folderFd, LOCK_EX), 0);  // another writer between its read and its rename
    removeSaveLeftovers(CardFiles(dir.path()));
    EXPECT_TRUE(QFile::exists(live));
    EXPECT_EQ(save(std::chrono::milliseconds(50)), -1);
    EXPECT_EQ(load(std::chrono::milliseconds(50)), -1);
    const std::string locked = std::string("\n") + kLockedText;
    EXPECT_EQ(boxes.texts(), (Texts{kWriteFailedText + locked, kOpenFailedText + locked}));
    EXPECT_EQ(read(file()), QByteArray(7488, 'o'));
    ::close(folderFd);  // the writer is gone, and what it left with it
    removeSaveLeftovers(CardFiles(dir.path()));
    EXPECT_FALSE(QFile::exists(live));
    EXPECT_EQ(save(), 0);
}

TEST(AtomicFile, AFailedRenameIsAFailureAndLeavesNothingBehind) {
    QTemporaryDir dir;
    // A folder with something in it cannot be renamed over.
    const QString target = dir.path() + "/target";
    ASSERT_TRUE(QDir().mkpath(target + "/inside"));
    AtomicFile file(target);
    ASSERT_EQ(file.open(), 0);
    ASSERT_EQ(file.write("x", 1), 0);
    EXPECT_NE(file.commit(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"target"});
    EXPECT_TRUE(QFileInfo(target).isDir());
}

}  // namespace
}  // namespace velmira
