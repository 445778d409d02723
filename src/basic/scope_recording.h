#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

class QDateTime;

namespace velmira {

class CardFiles;

// One status read of the axis the scope follows.
struct ScopeSample {
    double seconds = 0;  // since the recording began
    std::int32_t logicPosition = 0;
    std::int32_t encoderPosition = 0;
    std::int64_t error = 0;  // logic minus encoder position
    std::int32_t currentSpeed = 0;
};

// A move started (Forward, Backward, HOME, a change on the fly): a vertical
// line on the plot, labelled with the command list's block.
struct ScopeMarker {
    double seconds = 0;
    int block = -1;     // the block of the command list its calls went to
    std::string label;  // what the user pressed, e.g. "Forward"
};

// The last samples of a recording, in a ring of fixed size: memory stays the
// same however long the axis runs. Markers older than the oldest sample kept
// are dropped with it.
class ScopeRecording {
  public:
    explicit ScopeRecording(std::size_t capacity);

    // Times must not fall: a sample earlier than the newest one kept is
    // refused (the search by time relies on their order).
    void append(const ScopeSample& sample);
    void mark(ScopeMarker marker);
    void clear();

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return ring_.size(); }
    bool empty() const { return size() == 0; }
    // 0 is the oldest sample kept; std::out_of_range past the newest.
    const ScopeSample& at(std::size_t index) const;
    const std::vector<ScopeMarker>& markers() const { return markers_; }
    // The index of the first sample at or after `seconds` (size() when none):
    // what a plot draws from when it shows only part of the recording.
    std::size_t firstAtOrAfter(double seconds) const;

  private:
    void dropOldMarkers();

    std::vector<ScopeSample> ring_;  // all allocated at construction
    std::size_t oldest_ = 0;         // where at(0) lies in the ring
    std::size_t size_ = 0;
    std::vector<ScopeMarker> markers_;  // oldest first, at most capacity() of them
};

// The samples as CSV text: a header line naming each column with its unit,
// time in seconds first, then one line per sample, oldest first.
std::string scopeCsv(const ScopeRecording& recording);

// The name a recording is saved under, e.g. "scope_20260314_091502_card1_X.csv":
// date, time, card and axis (0 to 3 for X, Y, Z, U), in letters a FAT card takes.
QString scopeFileName(const QDateTime& when, int card, int axis);

// Writes the recording's CSV as a new file in the card's Pelmoran folder, named
// by scopeFileName; the host path written, or why not.
Result<QString> saveScopeCsv(const CardFiles& card, const ScopeRecording& recording,
                             const QDateTime& when, int cardNumber, int axis);

}  // namespace velmira
