#include "LogFont.h"

#include <cstring>

#include <QFontInfo>
#include <QtEndian>

LogFont LogFont::Default() {
    LogFont font;
    font.height = -13;
    font.weight = 400;
    font.pitchAndFamily = 0x31; // fixed pitch, modern family
    font.SetFaceName("Courier");
    return font;
}

QString LogFont::FaceName() const {
    const std::size_t n = strnlen(faceName.data(), faceName.size());
    return QString::fromLatin1(faceName.data(), qsizetype(n));
}

void LogFont::SetFaceName(const QString& face) {
    faceName.fill('\0');
    const QByteArray bytes = face.toLatin1().left(int(faceName.size()) - 1);
    std::memcpy(faceName.data(), bytes.constData(), std::size_t(bytes.size()));
}

QFont LogFont::ToQFont() const {
    QFont font(FaceName());
    // A cell height includes the internal leading; the pixel size is the character height,
    // which for the usual fonts is close enough to the cell height less a sixth.
    const int pixels = height < 0 ? -height : (height > 0 ? height * 5 / 6 : 13);
    font.setPixelSize(std::max(pixels, 1));
    font.setWeight(weight >= 700                ? QFont::Bold
                   : weight > 0 && weight < 400 ? QFont::Light
                                                : QFont::Normal);
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    font.setStrikeOut(strikeOut != 0);
    if ((pitchAndFamily & 0x03) == 1 || (pitchAndFamily & 0xf0) == 0x30) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    return font;
}

LogFont LogFont::FromQFont(const QFont& font) {
    LogFont record;
    record.height = font.pixelSize() > 0 ? -font.pixelSize() : -13;
    record.weight = font.weight() >= QFont::Bold ? 700 : font.weight() < QFont::Normal ? 300 : 400;
    record.italic = font.italic() ? 1 : 0;
    record.underline = font.underline() ? 1 : 0;
    record.strikeOut = font.strikeOut() ? 1 : 0;
    record.pitchAndFamily = QFontInfo(font).fixedPitch() ? 0x31 : 0x22;
    record.SetFaceName(font.family());
    return record;
}

QByteArray LogFont::ToBytes() const {
    QByteArray bytes(kBytes, '\0');
    char* out = bytes.data();
    qToLittleEndian<std::int32_t>(height, out);
    qToLittleEndian<std::int32_t>(width, out + 4);
    qToLittleEndian<std::int32_t>(escapement, out + 8);
    qToLittleEndian<std::int32_t>(orientation, out + 12);
    qToLittleEndian<std::int32_t>(weight, out + 16);
    const std::uint8_t flags[8] = {italic,       underline,     strikeOut, charSet,
                                   outPrecision, clipPrecision, quality,   pitchAndFamily};
    std::memcpy(out + 20, flags, 8);
    std::memcpy(out + 28, faceName.data(), faceName.size());
    return bytes;
}

LogFont LogFont::FromBytes(const QByteArray& bytes) {
    if (bytes.size() < kBytes)
        return Default();
    const char* in = bytes.constData();
    LogFont font;
    font.height = qFromLittleEndian<std::int32_t>(in);
    font.width = qFromLittleEndian<std::int32_t>(in + 4);
    font.escapement = qFromLittleEndian<std::int32_t>(in + 8);
    font.orientation = qFromLittleEndian<std::int32_t>(in + 12);
    font.weight = qFromLittleEndian<std::int32_t>(in + 16);
    std::uint8_t flags[8];
    std::memcpy(flags, in + 20, 8);
    font.italic = flags[0];
    font.underline = flags[1];
    font.strikeOut = flags[2];
    font.charSet = flags[3];
    font.outPrecision = flags[4];
    font.clipPrecision = flags[5];
    font.quality = flags[6];
    font.pitchAndFamily = flags[7];
    std::memcpy(font.faceName.data(), in + 28, font.faceName.size());
    font.faceName.back() = '\0';
    return font;
}
