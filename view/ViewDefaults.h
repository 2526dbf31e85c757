#pragma once

#include <QColor>
#include <QCursor>
#include <QPrinter>

#include <memory>

#include "LogFont.h"

// What a new view takes from the application: the display font, the text colour and the
// cursor of the left margin. The application object provides it.
struct ViewDefaults {
    LogFont m_lfDefault = LogFont::Default();
    QColor m_crWindowText = Qt::black;
    QCursor m_hMarginCursor{Qt::ArrowCursor};

    // The program's one printer setting, made when first used: Print Setup changes it and
    // every later print and preview uses it.
    QPrinter& Printer() {
        if (!m_printer)
            m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        return *m_printer;
    }

private:
    std::shared_ptr<QPrinter> m_printer;
};
