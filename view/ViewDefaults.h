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
class TextStore;

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
    // The cursor of the left margin, asked for when the pointer first goes there.
    virtual const QCursor& MarginCursor() { return m_hMarginCursor; }
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
    // The directories bare file names are looked for in, in order.
    virtual FileNameList SearchDirectories() const { return {}; }
    // The text of the document open on a full path, unsaved changes and all; null when
    // none is.
    virtual const TextStore* OpenText(const FileName& path) const {
        Q_UNUSED(path);
        return nullptr;
    }
    // Opens or activates the document of a full path, selects its 0-based line `line` in
    // the active view and says `status` in the status bar; false when it does not open.
    virtual bool ShowDefinition(const FileName& file, int line, const QString& status) {
        Q_UNUSED(file);
        Q_UNUSED(line);
        Q_UNUSED(status);
        return false;
    }
    // A passing message in the status bar.
    virtual void ShowStatus(const QString& text) { Q_UNUSED(text); }

private:
    std::shared_ptr<QPrinter> m_printer;
};
