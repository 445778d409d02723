#include "sim/rack_file_shape.h"

#include <vector>

namespace velmira {
namespace {

// A small scanner of TOML's outline: strings and comments are skipped, keys
// are counted by their dotted parts, arrays and inline tables by their depth.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    std::optional<std::string> run() {
        startLine();
        while (i_ < text_.size()) {
            if (auto e = step()) return e;
        }
        return std::nullopt;
    }

  private:
    enum class Context { Key, Value, Array, InlineTable };

    std::optional<std::string> error(const std::string& what) const {
        return std::to_string(line_) + ":" + std::to_string(i_ - lineStart_ + 1) + ": " + what;
    }

    std::optional<std::string> tooLong() const {
        return error("line longer than " + std::to_string(kRackFileMaxLine) +
                     " characters, too long for a rack file");
    }

    void startLine() {
        lineStart_ = i_;
        // A new line starts a key, unless an array spans lines.
        if (stack_.empty() || stack_.back() != Context::Array) {
            stack_.clear();
            keyParts_ = 1;
            inHeader_ = false;
            afterKey_ = false;
        }
    }

    Context context() const { return stack_.empty() ? Context::Key : stack_.back(); }
    bool inKey() const {
        return (context() == Context::Key && !afterKey_) || inHeader_ ||
               (context() == Context::InlineTable && !afterKey_);
    }

    std::optional<std::string> newline() {
        ++i_;
        ++line_;
        startLine();
        return std::nullopt;
    }

    std::optional<std::string> step() {
        const char c = text_[i_];
        if (i_ - lineStart_ >= kRackFileMaxLine && c != '\n') return tooLong();
        switch (c) {
            case '\n':
                return newline();
            case '#':
                while (i_ < text_.size() && text_[i_] != '\n') {
                    if (i_ - lineStart_ >= kRackFileMaxLine) return tooLong();
                    ++i_;
                }
                return std::nullopt;
            case '"':
            case '\'':
                return string(c);
            case '.':
                if (inKey() && ++keyParts_ > kRackFileMaxDepth) {
                    return error("key nested deeper than " + std::to_string(kRackFileMaxDepth) +
                                 " levels, too deep for a rack file");
                }
                ++i_;
                return std::nullopt;
            case '=':
                afterKey_ = true;
                ++i_;
                return std::nullopt;
            case '[':
                if (inHeader_) {  // the second bracket of [[array of tables]]
                    ++i_;
                    return std::nullopt;
                }
                if (i_ == firstNonBlank() && context() == Context::Key && !afterKey_) {
                    inHeader_ = true;  // [table] or [[array of tables]]
                    ++i_;
                    return std::nullopt;
                }
                return open(Context::Array);
            case '{':
                return open(Context::InlineTable);
            case ']':
            case '}':
                if (!inHeader_ && !stack_.empty()) stack_.pop_back();
                ++i_;
                return std::nullopt;
            case ',':
                if (context() == Context::InlineTable) {
                    afterKey_ = false;
                    keyParts_ = 1;
                }
                ++i_;
                return std::nullopt;
            default:
                ++i_;
                return std::nullopt;
        }
    }

    std::optional<std::string> open(Context what) {
        if (static_cast<int>(stack_.size()) >= kRackFileMaxDepth) {
            return error("arrays or tables nested deeper than " +
                         std::to_string(kRackFileMaxDepth) + " levels, too deep for a rack file");
        }
        stack_.push_back(what);
        if (what == Context::InlineTable) {
            afterKey_ = false;
            keyParts_ = 1;
        }
        ++i_;
        return std::nullopt;
    }

    // Skips a string: "basic" with escapes, 'literal', and their """ and '''
    // forms, which may span lines.
    std::optional<std::string> string(char quote) {
        const bool multi = text_.substr(i_, 3) == std::string(3, quote);
        i_ += multi ? 3 : 1;
        while (i_ < text_.size()) {
            const char c = text_[i_];
            if (c == '\n') {
                if (!multi) return std::nullopt;  // the parser says what is wrong
                ++line_;
                lineStart_ = i_ + 1;
                ++i_;
                continue;
            }
            if (i_ - lineStart_ >= kRackFileMaxLine) return tooLong();
            if (quote == '"' && c == '\\') {
                i_ += 2;
                continue;
            }
            if (c == quote && (!multi || text_.substr(i_, 3) == std::string(3, quote))) {
                i_ += multi ? 3 : 1;
                return std::nullopt;
            }
            ++i_;
        }
        return std::nullopt;
    }

    std::size_t firstNonBlank() const {
        std::size_t j = lineStart_;
        while (j < text_.size() && (text_[j] == ' ' || text_[j] == '\t')) ++j;
        return j;
    }

    std::string_view text_;
    std::size_t i_ = 0;
    std::size_t line_ = 1;
    std::size_t lineStart_ = 0;
    std::vector<Context> stack_;
    int keyParts_ = 1;
    bool inHeader_ = false;
    bool afterKey_ = false;
};

}  // namespace

std::optional<std::string> rackFileShapeError(std::string_view text) {
    return Scanner(text).run();
}

}  // namespace velmira
