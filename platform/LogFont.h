#pragma once

#include <array>
#include <cstdint>

#include <QByteArray>
#include <QFont>

// A font description with the fields, sizes and order of the platform font record the
// preference file keeps (60 bytes, little-endian). height < 0 is a character height in
// pixels; height > 0 a cell height in pixels.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0; // 400 normal, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, 32> faceName{}; // NUL-ended

    static constexpr int kBytes = 60;

    // "Courier", height -13: the program's default display font.
    static LogFont Default();

    QString FaceName() const;
    void SetFaceName(const QString& face);

    // The Qt font this record describes, and back. Heights are pixels either way.
    QFont ToQFont() const;
    static LogFont FromQFont(const QFont& font);

    QByteArray ToBytes() const;
    static LogFont FromBytes(const QByteArray& bytes); // short input gives Default()

    friend bool operator==(const LogFont&, const LogFont&) = default;
};
