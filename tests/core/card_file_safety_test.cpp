// What a save and a load do with whatever stands where the configuration file
// should be, with what earlier saves left behind, and which paths are the card's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

#include "platform/atomic_file.h"
#include "platform/card_files.h"
#include "platform/host_file.h"
#include "support/call_log.h"
#include "support/ordinary_user.h"
#include "support/small_card.h"

namespace velmira {
namespace {

class CardFileSafety : public test::CardFolder {
  protected:
    void SetUp() override {
        CardFolder::SetUp();
        image.record(1, 0).maxV = {1, {}, 123456, 0, 0};
    }
    // Saves as an ordinary user, to folders anyone may write to; the message of
    // the refusal the save must give.
    QByteArray refusalToAnOrdinaryUser() {
        for (const QString& d : {dir.path(), dir.path() + "/Pelmoran", folder()}) {
            EXPECT_EQ(::chmod(local(d).c_str(), 0777), 0);
        }
        const QString message = dir.path() + "/message";
        const int status = test::asOrdinaryUser([&] {
            const SaveResult saved = save(image, 0);
            QFile out(message);
            if (out.open(QIODevice::WriteOnly)) out.write(saved.error().c_str());
            return saved.ok() ? 1 : 0;
        });
        EXPECT_EQ(status, 0) << "the save refused";
        return read(message);
    }

    SettingsImage image;
};

// Whatever stands in place of the file or its folders, a load or save works on a regular
// file or refuses with the reason, changing nothing. The card path is relative, as typed.
TEST_F(CardFileSafety, EveryKindOfThingInPlaceOfTheFile) {
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* loadReason;  // nullptr: the load works
        const char* saveReason;  // nullptr: the save works
    };
    const char* loop = "the symbolic links lead round in a circle (or too many follow each other)";
    const char* folderNotFile = "is a folder, not a file";
    const char* offCard = "the path leads out of the card";
    const char* pipe = "not a regular file (a pipe)";
    const char* missing = "no such file or folder";
    const char* notFolder = "a part of the path is not a folder";
    const auto link = [&](const char* to) {
        return [=, this] { ::symlink(to, local(file()).c_str()); };
    };
    const Case cases[] = {
        {"nothing", [] {}, missing, nullptr},
        {"a folder", [&] { QDir().mkpath(file()); }, folderNotFile, folderNotFile},
        {"a link to itself", link("lorvex_Config.ini"), loop, loop},
        {"a link out of the card", link("/dev/zero"), offCard, offCard},
        {"a pipe", [&] { ::mkfifo(local(file()).c_str(), 0600); }, pipe, pipe},
        {"a dangling link", link("gone.ini"), missing, nullptr},
        {"a file in place of its folder",
         [&] {
             QDir(folder()).removeRecursively();
             write(folder(), "x");
         },
         notFolder, notFolder},
        {"no card", [&] { QDir(root).removeRecursively(); }, missing, missing},
        {"an empty file", [&] { write(file(), {}); }, nullptr, nullptr},
    };
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path() + "/.."));
    root = QFileInfo(dir.path()).fileName();
    CallLog log;
    RecordingMotionLibrary lorvex(ModuleKind::Lorvex, log);
    for (const Case& c : cases) {
        QDir(root).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder()));
        c.make();
        const auto kind = [&] {
            struct stat st {};
            return ::lstat(local(file()).c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
        };
        const mode_t before = kind();
        log.clear();
        SettingsImage loaded = image;
        const Result<> load =
            this->load(loaded, 1, ModuleKind::Lorvex, {&lorvex, nullptr, nullptr});
        if (c.loadReason) {
            EXPECT_EQ(load.error(), kOpenFailedText + std::string("\n") + c.loadReason) << c.what;
            EXPECT_TRUE(log.calls().empty()) << c.what;
            EXPECT_EQ(bytesOf(loaded), bytesOf(image)) << c.what;
        } else {
            EXPECT_TRUE(load.ok()) << c.what << ": " << load.error();
        }
        const SaveResult saved = save(image, 0);
        if (c.saveReason) {
            EXPECT_EQ(saved.error(), kWriteFailedText + std::string("\n") + c.saveReason) << c.what;
            EXPECT_EQ(kind(), before) << c.what << ": still there, not replaced";
        } else {
            EXPECT_TRUE(saved.ok()) << c.what << ": " << saved.error();
            EXPECT_EQ(read(file()).left(7488), bytesOf(image)) << c.what;
        }
    }
    QDir::setCurrent(cwd);
}

// Leftovers of interrupted saves, and only those, go; but while another writer
// holds the folder, a start leaves them and a save or load waits, then says why.
TEST_F(CardFileSafety, LeftoversOfInterruptedSavesAndOnlyThoseGoOnceNoWriterIsLeft) {
    write(file(), QByteArray(7488, 'o'));
    for (const char* leftover : {"lorvex_Config.ini.tmp-Ab12Cd", "lorvex_Config.ini.tmp-ZZZZZZ"}) {
        write(folder() + "/" + leftover, QByteArray(7488, 't'));
    }
    const QStringList kept{"lorvex_Config.ini.backup", "lorvex_Config.ini.bak",
                           "lorvex_Config.ini.tmp-abc", "lorvex_Config.ini.tmp-Ab12Cd7",
                           "notes.tmp-Ab12Cd"};
    for (const QString& other : kept) write(folder() + "/" + other, "keep me");
    ASSERT_TRUE(QDir(folder()).mkdir("lorvex_Config.ini.tmp-Dir123"));
    const int folderFd = ::open(local(folder()).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folderFd, 0);
    ASSERT_EQ(::flock(folderFd, LOCK_EX), 0);  // another writer between its read and its rename
    removeSaveLeftovers(CardFiles(dir.path()));
    EXPECT_TRUE(QFile::exists(file() + ".tmp-Ab12Cd"));
    const std::chrono::milliseconds briefly(50);
    const std::string locked = std::string("\n") + kLockedText;
    EXPECT_EQ(save(image, 0, briefly).error(), kWriteFailedText + locked);
    SettingsImage loaded;
    EXPECT_EQ(load(loaded, 1, ModuleKind::None, {}, briefly).error(), kOpenFailedText + locked);
    EXPECT_EQ(read(file()), QByteArray(7488, 'o'));
    ::close(folderFd);  // the writer is gone, and what it left with it
    ASSERT_TRUE(save(image, 0).ok());
    QStringList expected = kept;
    expected << "lorvex_Config.ini"
             << "lorvex_Config.ini.tmp-Dir123";
    expected.sort();
    EXPECT_EQ(entries(folder()), expected.join(u' ').toStdString());
    EXPECT_EQ(read(file()), bytesOf(image));
    write(file() + ".tmp-Live00", "left by a writer that died");
    removeSaveLeftovers(CardFiles(dir.path()));  // as the program's start does
    EXPECT_FALSE(QFile::exists(file() + ".tmp-Live00"));
}

TEST_F(CardFileSafety, ALinkIsFollowedAndItsTargetReplacedInItsOwnFolder) {
    const QString elsewhere = dir.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString real = elsewhere + "/real.ini";
    write(real, QByteArray(7488, 'o') + "tail");
    ASSERT_EQ(::chmod(local(real).c_str(), 0640), 0);
    ASSERT_EQ(::symlink("../../elsewhere/real.ini", local(file()).c_str()), 0);
    const SaveResult saved = save(image, 0);
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_TRUE(QFileInfo(file()).isSymLink()) << "the link stays a link";
    EXPECT_EQ(read(real), bytesOf(image) + "tail");
    EXPECT_EQ(modeOf(real), 0640u) << "an existing file keeps its mode";
    EXPECT_EQ(entries(elsewhere), "real.ini");

    // A link to a file not there yet creates it, with the usual mode.
    ASSERT_EQ(::unlink(local(file()).c_str()), 0);
    ASSERT_EQ(::symlink(local(elsewhere + "/new.ini").c_str(), local(file()).c_str()), 0);
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(save(image, 0).ok());
    ::umask(mask);
    EXPECT_EQ(read(elsewhere + "/new.ini"), bytesOf(image));
    EXPECT_EQ(modeOf(elsewhere + "/new.ini"), 0644u) << "not 0600 as a temporary file has";
}

TEST_F(CardFileSafety, AFileTheUserMayNotWriteIsNotReplaced) {
    const QByteArray old(7488, 'o');
    write(file(), old);
    ASSERT_EQ(::chmod(local(file()).c_str(), 0444), 0);
    EXPECT_EQ(refusalToAnOrdinaryUser(), "Can not write the Configuration INI File\nno permission");
    EXPECT_EQ(read(file()), old);
    EXPECT_EQ(modeOf(file()), 0444u);
}

TEST_F(CardFileSafety, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const QByteArray tail = "notes after the image";
    write(file(), QByteArray(7488, 'o') + tail);
    ASSERT_EQ(::chmod(local(file()).c_str(), 0666), 0);
    ASSERT_EQ(::chmod(local(dir.path()).c_str(), 0755), 0);
    ASSERT_EQ(::chmod(local(folder()).c_str(), 0555), 0);  // no temporary file can be made
    const int status = test::asOrdinaryUser([&] { return save(image, 0).ok() ? 0 : 1; });
    ::chmod(local(folder()).c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read(file()), bytesOf(image) + tail);
    EXPECT_EQ(entries(folder()), "lorvex_Config.ini");
}

// A save by another user (root, through sudo) leaves the file its owner's;
// one that could not keep the owner refuses and says whose file it is.
TEST_F(CardFileSafety, TheFileKeepsItsOwnerAndGroup) {
    write(file(), QByteArray(7488, 'o'));
    if (::chown(local(file()).c_str(), 4321, 4322) != 0) GTEST_SKIP() << "not root";
    ASSERT_EQ(::chmod(local(file()).c_str(), 0646), 0);
    ASSERT_TRUE(save(image, 1).ok());
    const auto owner = [](const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return QString("%1:%2 %3").arg(st.st_uid).arg(st.st_gid).arg(st.st_mode & 0777, 0, 8);
    };
    EXPECT_EQ(owner(file()), "4321:4322 646");
    ASSERT_EQ(listBackups(file()).size(), 1u);
    EXPECT_EQ(owner(listBackups(file())[0]), "4321:4322 646") << "the backup is the owner's too";

    EXPECT_EQ(refusalToAnOrdinaryUser(),
              "Can not write the Configuration INI File\nbelongs to uid 4321, group gid 4322, and "
              "a save by nobody (uid 65534) would take it from them (save it as its owner or as "
              "root)");
    EXPECT_EQ(owner(file()), "4321:4322 646");
    EXPECT_EQ(read(file()), bytesOf(image));
    EXPECT_EQ(entries(folder()),
              "lorvex_Config.ini " + listBackups(file())[0].section('/', -1).toStdString());
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

TEST(CardFiles, MapsTheCardAndRefusesPathsThatClimbOut) {
    const CardFiles card("/media/card");
    EXPECT_EQ(card.hostPath("\\CompactFlash\\Pelmoran\\Orvo\\lorvex_Config.ini"),
              "/media/card/Pelmoran/Orvo/lorvex_Config.ini");
    EXPECT_EQ(card.hostPath("\\compactflash\\a"), "/media/card/a") << "the name in any case";
    for (const char* out :
         {"\\CompactFlash\\..\\etc\\passwd", "\\CompactFlash\\a\\.\\b", "\\CompactFlash\\a/../../b",
          "\\Windows\\system.ini", "C:\\CompactFlash\\a", ""}) {
        EXPECT_EQ(card.hostPath(out), std::nullopt) << out;
    }
}

TEST(CardFiles, FollowsLinksOnlyWhileTheyStayOnTheCard) {
    QTemporaryDir outside;
    const QString root = outside.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(root + "/Pelmoran/Orvo"));
    ASSERT_TRUE(QDir().mkpath(outside.path() + "/elsewhere"));
    const CardFiles card(root);
    const QString file = root + "/Pelmoran/Orvo/lorvex_Config.ini";
    const auto link = [&](const QString& target) {
        ::unlink(QFile::encodeName(file).constData());
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(file).constData()),
            0);
    };
    const auto end = [&] {
        const CardFiles::LinkEnd e = card.followLinks(file);
        return e.error ? std::to_string(e.error) : QDir::cleanPath(e.path).toStdString();
    };
    const std::string out = std::to_string(kOffTheCard);
    EXPECT_EQ(end(), file.toStdString()) << "no link: the path itself";
    link("../other.ini");
    EXPECT_EQ(end(), (root + "/Pelmoran/other.ini").toStdString());
    link("../../../elsewhere/x.ini");
    EXPECT_EQ(end(), out) << "out of the card through ..";
    // A folder of the card that is itself a link out.
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path() + "/elsewhere").constData(),
                        QFile::encodeName(root + "/Pelmoran/away").constData()),
              0);
    link("../away/x.ini");
    EXPECT_EQ(end(), out) << "through a folder that leads out";
}

}  // namespace
}  // namespace velmira
