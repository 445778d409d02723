#include "basic/scope_recording.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QDateTime>

#include "platform/card_files.h"
#include "support/small_card.h"

namespace velmira {
namespace {

// The times of the samples kept, then those of the markers with their labels.
std::string contents(const ScopeRecording& r) {
    std::string out;
    for (std::size_t i = 0; i < r.size(); ++i) out += std::to_string(int(r.at(i).seconds)) + ' ';
    for (const ScopeMarker& m : r.markers()) out += "| " + std::to_string(int(m.seconds)) + m.label;
    return out;
}

TEST(ScopeRecording, KeepsTheLastSamplesAndTheirMarkersAcrossWrapAround) {
    ScopeRecording r(4);
    r.mark({0, 1, "F"});
    for (int t = 0; t < 10; ++t) {
        r.append({double(t)});
        if (t == 5 || t == 7) r.mark({t + 1.0, 2, t == 5 ? "B" : "H"});
    }
    r.append({8.5});  // from before the newest: refused
    EXPECT_EQ(contents(r), "6 7 8 9 | 6B| 8H");
    // The search by time, with the oldest sample in the middle of the ring.
    for (const auto& [seconds, index] : std::initializer_list<std::pair<double, std::size_t>>{
             {-1, 0}, {6, 0}, {6.5, 1}, {8, 2}, {9, 3}, {9.01, 4}}) {
        EXPECT_EQ(r.firstAtOrAfter(seconds), index) << seconds;
    }
    r.clear();
    r.append({1});
    EXPECT_EQ(contents(r), "1 ") << "cleared: samples and markers, a new start in time";
}

TEST(ScopeRecording, CsvHasAHeaderWithUnitsAndOneRowPerSampleAndANameOfItsOwn) {
    ScopeRecording r(2);
    r.append({0.001, -5, -3, -2, 120});
    r.append({612.3456, 2147483647, 2147483600, 47, -6000});
    EXPECT_EQ(scopeCsv(r),
              "time (s),logic position (pulses),encoder position (pulses),error (pulses),"
              "speed (PPS)\n0.001,-5,-3,-2,120\n612.346,2147483647,2147483600,47,-6000\n");
    const QDateTime when(QDate(2026, 3, 14), QTime(9, 15, 2));
    EXPECT_EQ(scopeFileName(when, 12, 3), "scope_20260314_091502_card12_U.csv");
}

class ScopeCsvOnTheCard : public test::CardFolder {
  protected:
    std::string save(const QString& card, const ScopeRecording& r) {
        const auto saved = saveScopeCsv(CardFiles(card), r, {QDate(2026, 3, 14), {9, 15}}, 1, 2);
        return saved.ok() ? QFileInfo(*saved).fileName().toStdString() : saved.error();
    }
};

TEST_F(ScopeCsvOnTheCard, IsANewFileNeverReplacingOne) {
    ScopeRecording r(3);
    r.append({0.5, 10, 9, 1, 100});
    const QString first = root + "/Pelmoran/scope_20260314_091500_card1_Z.csv";
    EXPECT_EQ(save(root, r), "scope_20260314_091500_card1_Z.csv");
    const std::string firstText = scopeCsv(r);
    r.append({0.52, 11, 9, 2, 100});
    EXPECT_EQ(save(root, r), "scope_20260314_091500_card1_Z-2.csv");
    EXPECT_EQ(read(first).toStdString(), firstText);
    EXPECT_EQ(read(root + "/Pelmoran/scope_20260314_091500_card1_Z-2.csv").toStdString(),
              scopeCsv(r));
}

TEST_F(ScopeCsvOnTheCard, AFailureSaysWhyAndLeavesNothing) {
    EXPECT_EQ(save(root + "/absent", ScopeRecording(1)), "no such file or folder");
    EXPECT_FALSE(QFileInfo::exists(root + "/absent"));
    const QString card = root + "/card";
    ASSERT_TRUE(QDir().mkpath(card));
    const auto report = test::onSmallCard(card, [&] {
        ScopeRecording big(2000);  // some 60 kB of text for a card of 16
        for (int i = 0; i < 2000; ++i) big.append({i * 0.02, i * 1000, i * 1000, 0, 50000});
        std::string out = save(card, big) + " [" + entries(card + "/Pelmoran") + "] ";
        if (::mount(nullptr, local(card).c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            return out + "no read-only card";
        }
        return out + save(card, ScopeRecording(1)) + " [" + entries(card + "/Pelmoran") + "]";
    });
    if (!report) GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(*report, "the card is full [] the folder is read-only []");
}

}  // namespace
}  // namespace velmira
