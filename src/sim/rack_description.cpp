#include "sim/rack_description.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <toml++/toml.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "platform/host_file.h"
#include "platform/printable.h"
#include "sim/rack_file_shape.h"

namespace velmira {
namespace {

constexpr std::size_t kMaxFileBytes = 1024 * 1024;
constexpr char kAxisLetters[] = "XYZU";

// A broken default would be reported against a line the user never wrote.
constexpr AxisMachine kBuiltIn{};
static_assert(kBuiltIn.limitMinus < kBuiltIn.start && kBuiltIn.start < kBuiltIn.limitPlus);
static_assert(kBuiltIn.nearHome.from <= kBuiltIn.nearHome.to);
static_assert(kBuiltIn.home.from <= kBuiltIn.home.to);
static_assert(kBuiltIn.indexSpacing == 0 ||
              (kBuiltIn.indexPhase >= 0 && kBuiltIn.indexPhase < kBuiltIn.indexSpacing));

enum class Kind { Integer, Count, Zone, Flag };

struct AxisKey {
    std::string_view name;
    Kind kind;
    std::int32_t AxisMachine::*integer = nullptr;
    SignalZone AxisMachine::*zone = nullptr;
    bool AxisMachine::*flag = nullptr;
};

constexpr AxisKey kAxisKeys[] = {
    {"start", Kind::Integer, &AxisMachine::start},
    {"limit_minus", Kind::Integer, &AxisMachine::limitMinus},
    {"limit_plus", Kind::Integer, &AxisMachine::limitPlus},
    {"near_home", Kind::Zone, nullptr, &AxisMachine::nearHome},
    {"home", Kind::Zone, nullptr, &AxisMachine::home},
    {"index_spacing", Kind::Count, &AxisMachine::indexSpacing},
    {"index_phase", Kind::Integer, &AxisMachine::indexPhase},
    {"active_high", Kind::Flag, nullptr, nullptr, &AxisMachine::activeHigh},
    {"emergency_stop", Kind::Flag, nullptr, nullptr, &AxisMachine::emergencyStop},
    {"alarm", Kind::Flag, nullptr, nullptr, &AxisMachine::alarm},
    {"ready", Kind::Flag, nullptr, nullptr, &AxisMachine::ready},
    {"pulser", Kind::Integer, &AxisMachine::pulserRate},
};
constexpr std::size_t kKeyCount = std::size(kAxisKeys);

enum KeyIndex : std::size_t { kStart, kLimitMinus, kLimitPlus, kIndexSpacing = 5, kIndexPhase };
static_assert(kAxisKeys[kStart].name == "start" && kAxisKeys[kLimitMinus].name == "limit_minus" &&
              kAxisKeys[kLimitPlus].name == "limit_plus" &&
              kAxisKeys[kIndexSpacing].name == "index_spacing" &&
              kAxisKeys[kIndexPhase].name == "index_phase");

void copyKey(const AxisKey& key, const AxisMachine& from, AxisMachine& to) {
    if (key.integer) to.*key.integer = from.*key.integer;
    if (key.zone) to.*key.zone = from.*key.zone;
    if (key.flag) to.*key.flag = from.*key.flag;
}

// Control characters would split the one-line message or reach the terminal.
std::string oneLine(std::string_view text) {
    return escapedForMessage(text);
}

// A value or key as a message quotes it: escaped and shortened.
std::string quoted(std::string_view text) {
    return quotedForMessage(text);
}

// A key as it would be written in a dotted path: bare when TOML allows it.
std::string keyText(std::string_view key) {
    const bool bare = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    });
    return bare ? printable(key) : quoted(key);
}

std::string typeName(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::table:
            return "a table";
        case toml::node_type::array:
            return "an array";
        case toml::node_type::string:
            return "a string";
        case toml::node_type::integer:
            return "an integer";
        case toml::node_type::floating_point:
            return "a floating-point number";
        case toml::node_type::boolean:
            return "a boolean";
        case toml::node_type::date:
            return "a date";
        case toml::node_type::time:
            return "a time";
        case toml::node_type::date_time:
            return "a date-time";
        default:
            return "nothing";
    }
}

struct Position {
    std::uint32_t line = 0;
    std::uint32_t column = 0;
    bool operator<(const Position& o) const {
        return line != o.line ? line < o.line : column < o.column;
    }
};

Position positionOf(const toml::source_region& source) {
    return {source.begin.line, source.begin.column};
}

// Where a value of a merged axis was written; level 0 is the built-in machine.
struct Origin {
    int level = 0;
    Position at;
    std::string table;
};

struct Layer {
    AxisMachine values;
    std::array<std::optional<Origin>, kKeyCount> set{};
};

struct TrackedAxis {
    AxisMachine machine;
    std::array<Origin, kKeyCount> origin{};

    void apply(const Layer& layer) {
        for (std::size_t k = 0; k < kKeyCount; ++k) {
            if (!layer.set[k]) continue;
            copyKey(kAxisKeys[k], layer.values, machine);
            origin[k] = *layer.set[k];
        }
    }
};

class Reader {
  public:
    RackFileResult read(const toml::table& root);

  private:
    void fail(Position at, std::string message) {
        if (!problem_ || at < problem_->first) problem_.emplace(at, std::move(message));
    }
    void fail(const toml::source_region& source, const std::string& path, const std::string& what) {
        fail(positionOf(source), path + ": " + what);
    }

    const toml::table* tableAt(const toml::node& node, const std::string& path) {
        if (const toml::table* t = node.as_table()) return t;
        fail(node.source(), path, "must be a table, not " + typeName(node));
        return nullptr;
    }
    std::optional<std::int32_t> integerAt(const toml::node& node, const std::string& subject,
                                          std::int64_t min);
    void readSlot(int slot, const toml::table& table, const std::string& path);
    void readAxisTable(const toml::table& table, const std::string& path, int level, Layer& layer,
                       int slot);
    void readAxisKey(const AxisKey& key, std::size_t index, const toml::node& node,
                     const std::string& table, int level, Layer& layer);
    void check(const TrackedAxis& axis);
    void blame(const TrackedAxis& axis, std::initializer_list<std::size_t> keys,
               const std::string& what);

    std::optional<std::pair<Position, std::string>> problem_;
    Layer everyAxis_;
    std::array<Layer, kLastSlot + 1> slotAxes_{};
    std::array<std::array<Layer, 4>, kLastSlot + 1> oneAxis_{};
    RackDescription rack_;
};

RackFileResult Reader::read(const toml::table& root) {
    for (auto&& [key, node] : root) {
        const std::string name = keyText(key.str());
        if (key.str() == "axis") {
            if (const toml::table* t = tableAt(node, name))
                readAxisTable(*t, name, 1, everyAxis_, 0);
        } else if (key.str() == "slot") {
            const toml::table* slots = tableAt(node, name);
            if (!slots) continue;
            for (auto&& [number, slotNode] : *slots) {
                const std::string path = "slot." + keyText(number.str());
                const std::string_view n = number.str();
                if (n.size() != 1 || n[0] < '0' + kFirstSlot || n[0] > '0' + kLastSlot) {
                    fail(number.source(), path, "unknown slot; the slots are 1 to 7");
                } else if (const toml::table* t = tableAt(slotNode, path)) {
                    readSlot(n[0] - '0', *t, path);
                }
            }
        } else {
            fail(key.source(), name, "unknown key; the file has [axis] and [slot.N] tables");
        }
    }
    if (!problem_) {
        for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
            for (std::size_t a = 0; a < 4; ++a) {
                TrackedAxis axis;
                axis.apply(everyAxis_);
                axis.apply(slotAxes_[slot]);
                axis.apply(oneAxis_[slot][a]);
                check(axis);
                rack_.bySlot[slot].axes[a] = axis.machine;
            }
        }
    }
    RackFileResult r;
    if (problem_) {
        const auto& [at, message] = *problem_;
        r.error = std::to_string(at.line) + ":" + std::to_string(at.column) + ": " + message;
    } else {
        r.ok = true;
        r.rack = rack_;
    }
    return r;
}

void Reader::readSlot(int slot, const toml::table& table, const std::string& path) {
    for (auto&& [key, node] : table) {
        const std::string keyPath = path + "." + keyText(key.str());
        if (key.str() == "registration") {
            const auto* text = node.as_string();
            if (text && (text->get() == "fails" || text->get() == "succeeds")) {
                rack_.bySlot[slot].registrationFails = text->get() == "fails";
            } else {
                fail(node.source(), keyPath,
                     "must be \"fails\" or \"succeeds\", not " +
                         (text ? quoted(text->get()) : typeName(node)));
            }
        } else if (key.str() == "axis") {
            if (const toml::table* t = tableAt(node, keyPath)) {
                readAxisTable(*t, keyPath, 2, slotAxes_[slot], slot);
            }
        } else {
            fail(key.source(), keyPath,
                 "unknown key; a slot has registration and [" + path + ".axis] tables");
        }
    }
}

// `slot` is 0 for the top-level table, which takes no per-axis tables.
void Reader::readAxisTable(const toml::table& table, const std::string& path, int level,
                           Layer& layer, int slot) {
    for (auto&& [key, node] : table) {
        const std::string_view name = key.str();
        const std::string keyPath = path + "." + keyText(name);
        const auto known = std::find_if(std::begin(kAxisKeys), std::end(kAxisKeys),
                                        [&](const AxisKey& k) { return k.name == name; });
        const char* letter = name.size() == 1 ? std::strchr(kAxisLetters, name[0]) : nullptr;
        if (known != std::end(kAxisKeys)) {
            readAxisKey(*known, known - std::begin(kAxisKeys), node, path, level, layer);
        } else if (level == 2 && letter && *letter) {
            if (const toml::table* t = tableAt(node, keyPath)) {
                readAxisTable(*t, keyPath, 3, oneAxis_[slot][letter - kAxisLetters], slot);
            }
        } else if (level == 1 && letter && *letter) {
            fail(key.source(), keyPath,
                 "unknown key; one axis is set in [slot.N.axis." + std::string(name) + "]");
        } else if (level == 2 && node.is_table()) {
            fail(key.source(), keyPath, "unknown axis; the axes are X, Y, Z and U");
        } else {
            fail(key.source(), keyPath, "unknown key");
        }
    }
}

std::optional<std::int32_t> Reader::integerAt(const toml::node& node, const std::string& subject,
                                              std::int64_t min) {
    constexpr std::int64_t max = std::numeric_limits<std::int32_t>::max();
    const auto* value = node.as_integer();
    if (!value) {
        fail(positionOf(node.source()), subject + " must be an integer, not " + typeName(node));
        return std::nullopt;
    }
    if (value->get() < min || value->get() > max) {
        fail(positionOf(node.source()), subject + " must be from " + std::to_string(min) + " to " +
                                            std::to_string(max) + ", not " +
                                            std::to_string(value->get()));
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value->get());
}

void Reader::readAxisKey(const AxisKey& key, std::size_t index, const toml::node& node,
                         const std::string& table, int level, Layer& layer) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::string path = table + "." + std::string(key.name);
    bool good = false;
    switch (key.kind) {
        case Kind::Integer:
        case Kind::Count:
            if (const auto v = integerAt(node, path + ":", key.kind == Kind::Count ? 0 : kMin)) {
                layer.values.*key.integer = *v;
                good = true;
            }
            break;
        case Kind::Flag:
            if (const auto* flag = node.as_boolean()) {
                layer.values.*key.flag = flag->get();
                good = true;
            } else {
                fail(node.source(), path, "must be true or false, not " + typeName(node));
            }
            break;
        case Kind::Zone: {
            const toml::array* pair = node.as_array();
            if (!pair || pair->size() != 2) {
                fail(node.source(), path,
                     "must be [from, to], two integers, not " +
                         (!pair ? typeName(node)
                                : std::to_string(pair->size()) +
                                      (pair->size() == 1 ? " value" : " values")));
                break;
            }
            const auto from = integerAt((*pair)[0], path + ": from", kMin);
            const auto to = integerAt((*pair)[1], path + ": to", kMin);
            if (!from || !to) break;
            if (*from > *to) {
                fail(node.source(), path,
                     "from (" + std::to_string(*from) + ") must not be above to (" +
                         std::to_string(*to) + ")");
                break;
            }
            layer.values.*key.zone = SignalZone{*from, *to};
            good = true;
            break;
        }
    }
    if (good) layer.set[index] = Origin{level, positionOf(node.source()), table};
}

// The axis as merged from all levels must be a machine the simulator can run.
void Reader::check(const TrackedAxis& axis) {
    const AxisMachine& m = axis.machine;
    const auto n = [](std::int32_t v) { return std::to_string(v); };
    if (m.limitMinus >= m.limitPlus) {
        blame(axis, {kLimitMinus, kLimitPlus},
              "limit_minus (" + n(m.limitMinus) + ") must be below limit_plus (" + n(m.limitPlus) +
                  ")");
    } else if (m.start <= m.limitMinus) {
        blame(axis, {kStart, kLimitMinus},
              "start (" + n(m.start) + ") must be above limit_minus (" + n(m.limitMinus) +
                  "), or the axis starts on the minus limit switch");
    } else if (m.start >= m.limitPlus) {
        blame(axis, {kStart, kLimitPlus},
              "start (" + n(m.start) + ") must be below limit_plus (" + n(m.limitPlus) +
                  "), or the axis starts on the plus limit switch");
    }
    if (m.indexSpacing > 0 && (m.indexPhase < 0 || m.indexPhase >= m.indexSpacing)) {
        blame(axis, {kIndexSpacing, kIndexPhase},
              "index_phase (" + n(m.indexPhase) + ") must be from 0 to " + n(m.indexSpacing - 1) +
                  " for index_spacing " + n(m.indexSpacing));
    }
}

// The most specific of the values in conflict is the one to change; among
// equals, the one written last.
void Reader::blame(const TrackedAxis& axis, std::initializer_list<std::size_t> keys,
                   const std::string& what) {
    std::size_t worst = *keys.begin();
    for (const std::size_t k : keys) {
        const Origin& o = axis.origin[k];
        const Origin& w = axis.origin[worst];
        if (o.level > w.level || (o.level == w.level && w.at < o.at)) worst = k;
    }
    const Origin& o = axis.origin[worst];
    const std::string table = o.level == 0 ? "axis" : o.table;
    fail(o.at, table + "." + std::string(kAxisKeys[worst].name) + ": " + what);
}

RackFileResult failure(std::string message) {
    RackFileResult r;
    r.error = oneLine(message);
    return r;
}

std::string errnoText(int error) {
    switch (error) {
        case ENOENT:
            return "no such file";
        case EACCES:
            return "not readable (permission denied)";
        case EISDIR:
            return "is a folder, not a file";
        default:
            return std::strerror(error);
    }
}

// Reads at most kMaxFileBytes + 1 bytes so that an endless or huge file is
// refused without reading it all.
std::optional<std::string> readBounded(const std::string& path, std::string& error) {
    const OpenedFile opened = openForReading(path);
    if (!opened.fd.valid()) {
        error = opened.error == kNotRegularFile ? fileErrorText(opened.error, path)
                                                : errnoText(opened.error);
        return std::nullopt;
    }
    const int fd = opened.fd.get();
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errnoText(errno);
        return std::nullopt;
    }
    const std::string tooLarge = "is larger than 1 MiB, too large for a rack file";
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) {
        error = tooLarge;
        return std::nullopt;
    }
    std::string text(kMaxFileBytes + 1, '\0');
    const ReadUpTo read = readUpTo(fd, text.data(), text.size());
    if (read.error) {
        error = errnoText(read.error);
        return std::nullopt;
    }
    const std::size_t size = read.bytes;
    if (size > kMaxFileBytes) {
        error = tooLarge;
        return std::nullopt;
    }
    text.resize(size);
    return text;
}

// The byte offset of a parser position: line and column from 1, the column
// in characters.
std::optional<std::size_t> offsetOf(std::string_view text, std::size_t line, std::size_t column) {
    std::size_t i = 0;
    for (std::size_t l = 1; l < line; ++l) {
        i = text.find('\n', i);
        if (i == std::string_view::npos) return std::nullopt;
        ++i;
    }
    for (std::size_t c = 1; c < column && i < text.size() && text[i] != '\n'; ++c) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The key written at a table header ("[" at `at`) or before the value at `at`.
std::optional<std::string_view> keyWrittenAt(std::string_view text, std::size_t at) {
    const std::size_t lineStart = text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string_view::npos || at == 0 ? 0 : lineStart + 1;
    const bool header = at < text.size() && text[at] == '[';
    std::size_t keyStart = header ? at + 1 : from;
    if (header && keyStart < text.size() && text[keyStart] == '[') ++keyStart;
    std::optional<std::size_t> keyEnd;
    char quote = 0;
    for (std::size_t i = header ? keyStart : from; i < text.size() && text[i] != '\n'; ++i) {
        const char c = text[i];
        if (quote) {
            if (c == '\\' && quote == '"') {
                ++i;
            } else if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (header && c == ']') {
            keyEnd = i;
            break;
        } else if (!header && i >= at) {
            break;
        } else if (!header && (c == '{' || c == ',')) {
            keyStart = i + 1;
        } else if (!header && c == '=') {
            keyEnd = i;
        }
    }
    if (!keyEnd || *keyEnd < keyStart) return std::nullopt;
    return trimmed(text.substr(keyStart, *keyEnd - keyStart));
}

// The parser names a key it finds defined twice from a buffer that repeats
// the inside of its quotes ('slot."3"3"'); the message shows the key as the
// file writes it instead.
std::string withKeyAsWritten(std::string message, std::string_view text, std::size_t line,
                             std::size_t column) {
    const std::size_t redefine = message.find("cannot redefine existing ");
    if (redefine == std::string::npos) return message;
    const std::size_t open = message.find('\'', redefine);
    const std::size_t close = message.rfind('\'');
    const auto at = offsetOf(text, line, column);
    if (open == std::string::npos || close <= open || !at) return message;
    const auto key = keyWrittenAt(text, *at);
    if (!key || key->empty()) return message;
    return message.substr(0, open + 1) + printable(*key) + message.substr(close);
}

}  // namespace

RackFileResult parseRackFile(std::string_view text) {
    if (const auto shape = rackFileShapeError(text)) return failure(*shape);
    try {
        const toml::table root = toml::parse(text);
        RackFileResult r = Reader().read(root);
        r.error = oneLine(r.error);
        return r;
    } catch (const toml::parse_error& e) {
        const auto& at = e.source().begin;
        return failure(std::to_string(at.line) + ":" + std::to_string(at.column) + ": " +
                       withKeyAsWritten(std::string(e.description()), text, at.line, at.column));
    } catch (const std::bad_alloc&) {
        return failure("out of memory while reading the rack file");
    } catch (const std::exception& e) {
        return failure(e.what());
    }
}

RackFileResult readRackFile(const std::string& path) {
    if (path.empty()) return failure("the rack file name is empty");
    try {
        std::string error;
        const std::optional<std::string> text = readBounded(path, error);
        if (!text) return failure(printable(path) + ": " + error);
        RackFileResult r = parseRackFile(*text);
        // Parse errors start with LINE:COLUMN, which follows the path directly.
        const bool located = !r.error.empty() && r.error[0] >= '0' && r.error[0] <= '9';
        if (!r.ok) r.error = printable(path) + (located ? ":" : ": ") + r.error;
        return r;
    } catch (const std::exception& e) {
        return failure(printable(path) + ": " + e.what());
    }
}

}  // namespace velmira
