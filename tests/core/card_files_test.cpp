#include "platform/card_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>

#include "platform/host_file.h"

namespace velmira {
namespace {

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
    const auto end = [](const CardFiles& c, const QString& path) {
        const CardFiles::LinkEnd e = c.followLinks(path);
        return e.error ? std::to_string(e.error) : QDir::cleanPath(e.path).toStdString();
    };
    const std::string out = std::to_string(kOffTheCard);
    EXPECT_EQ(end(card, file), file.toStdString()) << "no link: the path itself";
    link("../other.ini");
    EXPECT_EQ(end(card, file), (root + "/Pelmoran/other.ini").toStdString());
    // A card given by a relative path, as --card may be.
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(outside.path()));
    EXPECT_EQ(end(CardFiles("card"), "card/Pelmoran/Orvo/lorvex_Config.ini"),
              "card/Pelmoran/other.ini");
    QDir::setCurrent(cwd);
    link("../../../elsewhere/x.ini");
    EXPECT_EQ(end(card, file), out) << "out of the card through ..";
    link(outside.path() + "/elsewhere/x.ini");
    EXPECT_EQ(end(card, file), out) << "out of the card by an absolute path";
    // A folder of the card that is itself a link out.
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path() + "/elsewhere").constData(),
                        QFile::encodeName(root + "/Pelmoran/away").constData()),
              0);
    link("../away/x.ini");
    EXPECT_EQ(end(card, file), out) << "through a folder that leads out";
    link("lorvex_Config.ini");
    EXPECT_EQ(end(card, file), std::to_string(ELOOP)) << "a link round in a circle";
}

}  // namespace
}  // namespace velmira
