#include "GlyphTable.h"

#include <algorithm>

#include <QGlyphRun>
#include <QPainter>

#include "Windows1252.h"

GlyphTable::GlyphTable(const QFont& font, const QPaintDevice* device)
    : m_font(font), m_metrics(font, device), m_raw(QRawFont::fromFont(font)) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = char(byte);
        m_char[byte] = DisplayBytes(std::string_view(&c, 1)).at(0);
        // The font's own advance, rounded once: a fallback face's glyph gets its own.
        m_advance[byte] = std::max(0, m_metrics.horizontalAdvance(m_char[byte]));
        if (m_raw.isValid())
            m_glyph[byte] = m_raw.glyphIndexesForString(QString(m_char[byte])).value(0);
    }
    const bool uniform = std::all_of(m_advance.begin(), m_advance.end(),
                                     [this](int a) { return a == m_advance[0]; });
    m_nUniform = uniform ? m_advance[0] : 0;
    const std::string_view cells = " 0Miw";
    const int cell = Advance(cells[0]);
    const bool fixed =
        std::all_of(cells.begin(), cells.end(), [&](char c) { return Advance(c) == cell; });
    m_nCell = fixed ? cell : 0;
}

void GlyphTable::Draw(QPainter& painter, std::string_view bytes, int x, int baseline) const {
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(qsizetype(bytes.size()));
    positions.reserve(qsizetype(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (m_glyph[byte] != 0) {
            glyphs.append(m_glyph[byte]);
            positions.append(QPointF(x, baseline));
        } else {
            // Another face has it; placed by hand, it still starts at its own column.
            painter.drawText(QPoint(x, baseline), QString(m_char[byte]));
        }
        x += m_advance[byte];
    }
    if (glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(m_font.underline());
    run.setStrikeOut(m_font.strikeOut());
    painter.drawGlyphRun(QPointF(0, 0), run);
}
