#pragma once

#include <QFontMetrics>
#include <QWidget>

// Dialog units of a widget's font in pixels: a quarter of its average character width
// across, an eighth of its height down, so that sizes follow the font as they were drawn.
inline int DialogUnitsX(const QWidget& widget, int units) {
    return QFontMetrics(widget.font()).averageCharWidth() * units / 4;
}
inline int DialogUnitsY(const QWidget& widget, int units) {
    return QFontMetrics(widget.font()).height() * units / 8;
}
