#pragma once

#include <array>
#include <string_view>

#include <QFont>
#include <QFontMetrics>
#include <QRawFont>

class QPainter;
class QPaintDevice;

// The display font as the view measures and draws it: each byte of the text has one glyph
// and one advance in whole pixels. Measuring is a sum of those advances, and drawing puts
// each glyph at exactly the sum of the advances before it, so a column's measured and
// painted pixels are the same number, whatever fractional advances the font has.
class GlyphTable {
public:
    GlyphTable(const QFont& font, const QPaintDevice* device);

    int Advance(char byte) const noexcept { return m_advance[static_cast<unsigned char>(byte)]; }
    int Width(std::string_view bytes) const noexcept {
        if (m_nUniform > 0)
            return int(bytes.size()) * m_nUniform;
        int width = 0;
        for (const char c : bytes)
            width += Advance(c);
        return width;
    }
    // The advance every byte shares, or 0 when they differ.
    int UniformAdvance() const noexcept { return m_nUniform; }
    // The advance the blank, digits and letters share in a fixed-pitch font, else 0.
    int CellAdvance() const noexcept { return m_nCell; }
    const QFontMetrics& Metrics() const noexcept { return m_metrics; }

    // Draws the bytes on the baseline, the first one's left edge at x.
    void Draw(QPainter& painter, std::string_view bytes, int x, int baseline) const;

private:
    QFont m_font;
    QFontMetrics m_metrics;
    QRawFont m_raw;                     // the font's own face, without fallbacks
    std::array<int, 256> m_advance{};   // whole pixels
    std::array<quint32, 256> m_glyph{}; // in m_raw; 0 when the face lacks the character
    std::array<QChar, 256> m_char{};    // what each byte shows
    int m_nUniform = 0;
    int m_nCell = 0;
};
