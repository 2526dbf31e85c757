#include "Windows1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// 0x80-0x9F; the five bytes Windows-1252 leaves undefined keep their Latin-1 code.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of a character: itself below 0x80 and from 0xA0 to 0xFF, its place in the table
// from 0x80 to 0x9F; '?' for any other, with lost set.
char ByteOfChar(char32_t u, bool& lost) noexcept {
    if (u < 0x80 || (u >= 0xa0 && u <= 0xff))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (char32_t(kHigh[i]) == u)
            return static_cast<char>(0x80 + i);
    }
    lost = true;
    return '?';
}

// Whether the eight bytes at p are all below 0x80: text is mostly ASCII, which every form
// here keeps byte for byte.
bool AsciiWord(const char* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// Copies the eight bytes at p to out, moving both past them, when all eight are ASCII.
bool CopyAsciiWord(const char*& p, const char* end, char*& out) noexcept {
    if (end - p < 8 || !AsciiWord(p))
        return false;
    std::memcpy(out, p, 8);
    out += 8;
    p += 8;
    return true;
}

// The bytes a character from 0x80 up takes in UTF-8.
std::size_t Utf8Length(unsigned char byte) noexcept {
    return CharOfByte(byte).unicode() < 0x800 ? 2 : 3;
}

} // namespace

QChar CharOfByte(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte <= 0x9f)
        return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

QString DecodeBytes(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    DecodeBytesTo(bytes, text.data());
    return text;
}

QChar* DecodeBytesTo(std::string_view bytes, QChar* out) noexcept {
    for (char c : bytes)
        *out++ = CharOfByte(static_cast<unsigned char>(c));
    return out;
}

std::size_t Utf8Size(std::string_view bytes) noexcept {
    std::size_t size = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8 && AsciiWord(p)) {
            size += 8;
            p += 8;
            continue;
        }
        const auto byte = static_cast<unsigned char>(*p++);
        size += byte < 0x80 ? 1 : Utf8Length(byte);
    }
    return size;
}

char* Utf8BytesTo(std::string_view bytes, char* out) noexcept {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        if (CopyAsciiWord(p, end, out))
            continue;
        const auto byte = static_cast<unsigned char>(*p++);
        const char16_t u = CharOfByte(byte).unicode();
        if (u < 0x80) {
            *out++ = static_cast<char>(u);
        } else if (u < 0x800) {
            *out++ = static_cast<char>(0xc0 | (u >> 6));
            *out++ = static_cast<char>(0x80 | (u & 0x3f));
        } else {
            *out++ = static_cast<char>(0xe0 | (u >> 12));
            *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3f));
            *out++ = static_cast<char>(0x80 | (u & 0x3f));
        }
    }
    return out;
}

QString DisplayBytes(std::string_view bytes) {
    QString text = DecodeBytes(bytes);
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(char16_t(0x2400 + u));
        else if (u == 0x7f)
            c = QChar(char16_t(0x2421));
        else if (u == 0xad)
            c = QChar('-');
    }
    return text;
}

std::string EncodeText(const QString& text, bool* lossy) {
    // One byte a UTF-16 unit at most: the text is read once, with no UCS-4 copy of it.
    std::string bytes(std::size_t(text.size()), '\0');
    char* out = bytes.data();
    bool lost = false;
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (p < end) {
        char32_t u = (p++)->unicode();
        if (QChar::isHighSurrogate(u) && p < end && p->isLowSurrogate())
            u = QChar::surrogateToUcs4(char16_t(u), (p++)->unicode());
        else if (QChar::isSurrogate(u))
            u = 0xfffd; // half a pair, which UCS-4 cannot hold either
        *out++ = ByteOfChar(u, lost);
    }
    bytes.resize(std::size_t(out - bytes.data()));
    if (lossy)
        *lossy = lost;
    return bytes;
}

std::optional<std::string> EncodeUtf8(std::string_view utf8, bool* lossy) {
    if (utf8.starts_with("\xef\xbb\xbf"))
        return std::nullopt;
    std::string bytes(utf8.size(), '\0');
    char* out = bytes.data();
    bool lost = false;
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    while (p < end) {
        if (CopyAsciiWord(p, end, out))
            continue;
        const auto lead = static_cast<unsigned char>(*p);
        if (lead < 0x80) {
            *out++ = *p++;
            continue;
        }
        int length = 0;
        char32_t u = 0;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            u = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            u = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            u = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (end - p < length)
            return std::nullopt;
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(p[i]);
            if ((next & 0xc0) != 0x80)
                return std::nullopt;
            u = (u << 6) | (next & 0x3f);
        }
        // Overlong forms, the surrogates' codes and codes past U+10FFFF are not UTF-8.
        if ((length == 3 && u < 0x800) || (length == 4 && (u < 0x10000 || u > 0x10ffff)) ||
            (u >= 0xd800 && u <= 0xdfff))
            return std::nullopt;
        p += length;
        *out++ = ByteOfChar(u, lost);
    }
    bytes.resize(std::size_t(out - bytes.data()));
    if (lossy)
        *lossy = lost;
    return bytes;
}
