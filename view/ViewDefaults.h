#pragma once

#include <QColor>
#include <QCursor>

#include "LogFont.h"

// What a new view takes from the application: the display font, the text colour and the
// cursor of the left margin. The application object provides it.
struct ViewDefaults {
    LogFont m_lfDefault = LogFont::Default();
    QColor m_crWindowText = Qt::black;
    QCursor m_hMarginCursor{Qt::ArrowCursor};
};
