#pragma once

#include <QColor>
#include <QCursor>
#include <QPrinter>

#include <memory>

#include <QString>

#include "FileName.h"
#include "LogFont.h"
#include "SimulatorMessages.h"

class CKelvoDoc;

// What a new view takes from the application: the display font, the text colour and the
// cursor of the left margin; and the way to other files. The application object provides it.
struct ViewDefaults {
    ViewDefaults() = default;
    ViewDefaults(const ViewDefaults&) = default;
    ViewDefaults& operator=(const ViewDefaults&) = default;
    virtual ~ViewDefaults() = default;

    LogFont m_lfDefault = LogFont::Default();
    QColor m_crWindowText = Qt::black;
    QCursor m_hMarginCursor{Qt::ArrowCursor};
    // Options > Syntax Colours: netlists and simulator outputs are painted in colours.
    bool m_bSyntaxColours = true;

    // The program's one printer setting, made when first used: Print Setup changes it and
    // every later print and preview uses it.
    QPrinter& Printer() {
        if (!m_printer)
            m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        return *m_printer;
    }

    // Opens or activates the document of a full, relative or bare file name: null when
    // it is not found or does not open. Without an application nothing opens.
    virtual CKelvoDoc* OpenByName(const FileName& name) {
        Q_UNUSED(name);
        return nullptr;
    }

    // Shows where in the netlist a message of the output document points: the circuit's
    // netlist opened or activated, the card's line selected and the message in the status
    // bar. False, after a beep or a message, when no netlist or no such card was found.
    virtual bool ShowNetlistPlace(CKelvoDoc& output, const NetlistPlace& place) {
        Q_UNUSED(output);
        Q_UNUSED(place);
        return false;
    }

private:
    std::shared_ptr<QPrinter> m_printer;
};
