#include "FileName.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // a byte b (0x80..0xFF) travels as kEscapeBase + b

bool IsEscapedByte(const QString& name, qsizetype i) {
    const char16_t unit = name[i].unicode();
    const bool pairedLow = i > 0 && name[i - 1].isHighSurrogate();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF && !pairedLow;
}

// The length of the valid UTF-8 sequence at `at` and its code point, or 0 when the byte
// there starts none (overlong forms, encoded surrogates and values past U+10FFFF are
// not valid).
int Utf8Sequence(const QByteArray& bytes, qsizetype at, char32_t& code) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString FileNameFromBytes(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t code = 0;
        const int length = Utf8Sequence(bytes, at, code);
        if (length == 0) {
            name += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        name += QString::fromUcs4(&code, 1);
        at += length;
    }
    return name;
}

QByteArray FileNameBytes(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsEscapedByte(name, i)) {
            bytes += char(name[i].unicode() - kEscapeBase);
        } else if (name[i].isHighSurrogate() && i + 1 < name.size() &&
                   name[i + 1].isLowSurrogate()) {
            bytes += name.mid(i, 2).toUtf8();
            ++i;
        } else {
            bytes += QString(name[i]).toUtf8(); // a lone surrogate gives U+FFFD's bytes
        }
    }
    return bytes;
}

bool IsExactFileName(const QString& name) {
    return !name.contains(QChar(0)) && FileNameFromBytes(FileNameBytes(name)) == name;
}

QString DisplayFileName(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (IsEscapedByte(name, i))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}
