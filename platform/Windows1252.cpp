#include "Windows1252.h"

#include <array>

#include <QList>

namespace {

// 0x80-0x9F; the five bytes Windows-1252 leaves undefined keep their Latin-1 code.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar CharOfByte(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte <= 0x9f)
        return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

QString DecodeBytes(std::string_view bytes) {
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes)
        *out++ = CharOfByte(static_cast<unsigned char>(c));
    return text;
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
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    bool lost = false;
    for (const char32_t u : text.toUcs4()) {
        if (u < 0x80 || (u >= 0xa0 && u <= 0xff)) {
            bytes += static_cast<char>(u);
            continue;
        }
        char byte = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (char32_t(kHigh[i]) == u) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        }
        lost = lost || byte == '?';
        bytes += byte;
    }
    if (lossy)
        *lossy = lost;
    return bytes;
}
