#include "platform/printable.h"

#include <cstdint>

namespace velmira {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void hexByte(std::string& out, unsigned char b) {
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xf];
}

void codePointEscape(std::string& out, std::uint32_t cp) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xf];
}

bool hidden(std::uint32_t cp) {
    return (cp >= 0x80 && cp <= 0x9f) || (cp >= 0x202a && cp <= 0x202e) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

// The length of the UTF-8 sequence at `i` and its code point; 0 when the
// bytes there are no valid sequence.
std::size_t decode(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    cp = n == 1 ? b : b & (0x7f >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c >> 6) != 2) return 0;
        cp = (cp << 6) | (c & 0x3f);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
    return n;
}

std::string escape(std::string_view text, std::size_t limit) {
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (characters == limit) {
            out += "\xE2\x80\xA6";  // an ellipsis: there is more
            break;
        }
        ++characters;
        std::uint32_t cp = 0;
        const std::size_t n = decode(text, i, cp);
        if (n == 0) {
            hexByte(out, static_cast<unsigned char>(text[i]));
            ++i;
        } else if (cp < 0x20 || cp == 0x7f) {
            hexByte(out, static_cast<unsigned char>(cp));
            i += n;
        } else if (hidden(cp)) {
            codePointEscape(out, cp);
            i += n;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = decode(text, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string escapedForMessage(std::string_view text) {
    return escape(text, std::string::npos);
}

std::string printable(std::string_view text, std::size_t limit) {
    return escape(text, limit);
}

std::string quotedForMessage(std::string_view text) {
    std::string inner;
    for (const char c : text) {
        if (c == '"' || c == '\\') inner += '\\';
        inner += c;
    }
    return "\"" + printable(inner) + "\"";
}

}  // namespace velmira
