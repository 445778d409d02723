#include "platform/card_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

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
    EXPECT_EQ(card.followLinks(file), file) << "no link: the path itself";
    link("../other.ini");
    EXPECT_EQ(card.followLinks(file), root + "/Pelmoran/other.ini");
    link("../../../elsewhere/x.ini");
    EXPECT_EQ(card.followLinks(file), std::nullopt) << "out of the card through ..";
    link(outside.path() + "/elsewhere/x.ini");
    EXPECT_EQ(card.followLinks(file), std::nullopt) << "out of the card by an absolute path";
    // A folder of the card that is itself a link out.
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path() + "/elsewhere").constData(),
                        QFile::encodeName(root + "/Pelmoran/away").constData()),
              0);
    link("../away/x.ini");
    EXPECT_EQ(card.followLinks(file), std::nullopt) << "through a folder that leads out";
    link("lorvex_Config.ini");
    EXPECT_EQ(card.followLinks(file), std::nullopt) << "a link round in a circle";
}

}  // namespace
}  // namespace velmira
