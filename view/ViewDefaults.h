#pragma once

#include <QColor>

#include "LogFont.h"

// What a new view takes from the application: the display font and the text colour.
// The application object provides it.
struct ViewDefaults {
    LogFont m_lfDefault = LogFont::Default();
    QColor m_crWindowText = Qt::black;
};
