#include "basic/scope_recording.h"

#include <QByteArray>
#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "platform/card_files.h"

namespace velmira {

ScopeRecording::ScopeRecording(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

void ScopeRecording::append(const ScopeSample& sample) {
    if (std::isnan(sample.seconds) || (size_ > 0 && sample.seconds < at(size_ - 1).seconds)) return;
    if (size_ < ring_.size()) {
        ring_[(oldest_ + size_) % ring_.size()] = sample;
        ++size_;
        return;
    }
    ring_[oldest_] = sample;
    oldest_ = (oldest_ + 1) % ring_.size();
    dropOldMarkers();
}

void ScopeRecording::mark(ScopeMarker marker) {
    // As many markers as samples at most: a marker with no sample after it
    // draws nothing anyway.
    if (markers_.size() == ring_.size()) markers_.erase(markers_.begin());
    markers_.push_back(std::move(marker));
}

void ScopeRecording::clear() {
    oldest_ = 0;
    size_ = 0;
    markers_.clear();
}

const ScopeSample& ScopeRecording::at(std::size_t index) const {
    if (index >= size_) throw std::out_of_range("no such scope sample");
    return ring_[(oldest_ + index) % ring_.size()];
}

std::size_t ScopeRecording::firstAtOrAfter(double seconds) const {
    std::size_t low = 0;
    std::size_t high = size_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (at(middle).seconds < seconds) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

void ScopeRecording::dropOldMarkers() {
    const double oldest = at(0).seconds;
    const auto kept = std::find_if(markers_.begin(), markers_.end(),
                                   [oldest](const ScopeMarker& m) { return m.seconds >= oldest; });
    markers_.erase(markers_.begin(), kept);
}

namespace {

// Numbers as C writes them whatever the locale says, so the file reads the
// same everywhere: no thousands separator, a point before the decimals.
template <class T>
void put(std::string& text, T value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    text.append(buffer, end);
}

void putSeconds(std::string& text, double seconds) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
    if (error != std::errc()) end = std::to_chars(buffer, buffer + sizeof buffer, seconds).ptr;
    text.append(buffer, end);
}

}  // namespace

std::string scopeCsv(const ScopeRecording& recording) {
    std::string text =
        "time (s),logic position (pulses),encoder position (pulses),error (pulses),speed (PPS)\n";
    text.reserve(text.size() + recording.size() * 48);
    for (std::size_t i = 0; i < recording.size(); ++i) {
        const ScopeSample& s = recording.at(i);
        putSeconds(text, s.seconds);
        text += ',';
        put(text, s.logicPosition);
        text += ',';
        put(text, s.encoderPosition);
        text += ',';
        put(text, s.error);
        text += ',';
        put(text, s.currentSpeed);
        text += '\n';
    }
    return text;
}

QString scopeFileName(const QDateTime& when, int card, int axis) {
    static constexpr char kAxes[] = "XYZU";
    const QString axisText =
        axis >= 0 && axis < 4 ? QString(QChar(kAxes[axis])) : QString::number(axis);
    return QStringLiteral("scope_%1_card%2_%3.csv")
        .arg(when.toString(QStringLiteral("yyyyMMdd_HHmmss")), QString::number(card), axisText);
}

Result<QString> saveScopeCsv(const CardFiles& card, const ScopeRecording& recording,
                             const QDateTime& when, int cardNumber, int axis) {
    const std::string text = scopeCsv(recording);
    return card.writeNewFile(scopeFileName(when, cardNumber, axis),
                             QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace velmira
