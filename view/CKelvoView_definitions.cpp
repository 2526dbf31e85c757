// Search > Go To Definition: the subcircuit, model or parameter at the caret, found in the
// netlist and the files it includes.

#include <QPointer>
#include <QStringList>

#include "CDefinitionsDlg.h"
#include "CKelvoView.h"
#include "Definitions.h"
#include "Windows1252.h"

SpiceKind CKelvoView::FileKind() const {
    if (m_pDoc == nullptr)
        return SpiceKind::Plain;
    const FileName& path = m_pDoc->GetPathName();
    return SpiceLexer::KindOf(path.isEmpty() ? m_pDoc->GetTitle().toStdString()
                                             : path.Leaf().ToStdString());
}

void CKelvoView::OnUpdateGoToDefinition(CommandUpdate& update) {
    const SpiceKind kind = FileKind();
    update.Enable(kind == SpiceKind::Netlist || kind == SpiceKind::Library);
}

void CKelvoView::OnGoToDefinition() {
    KeepPositionsInText();
    if (m_pDoc == nullptr || m_pStore == nullptr)
        return;
    Platform* platform = m_pDoc->GetPlatform();
    const bool titled = FileKind() == SpiceKind::Netlist;
    const TextPos caret = ActiveEnd();
    const FileName& file = m_pDoc->GetPathName();
    std::vector<Definitions::Place> places;
    QString name;
    {
        // The lines borrow the store's bytes: nothing may run a loop until they are done.
        const Definitions::Lines lines = Definitions::LinesOf(*m_pStore);
        const Definitions::Word word = Definitions::WordAt(lines, titled, caret);
        if (word.kind == Definitions::Kind::None) {
            platform->Beep();
            m_pApp->ShowStatus("No subcircuit, model or parameter name at the caret");
            return;
        }
        name = DecodeBytes(word.name);
        Definitions::Sources sources;
        sources.directories = m_pApp->SearchDirectories();
        sources.openText = [this](const FileName& path) { return m_pApp->OpenText(path); };
        platform->BeginWaitCursor();
        places = Definitions::Find(file, lines, titled, caret, word, sources);
        platform->EndWaitCursor();
    }
    if (places.empty()) {
        platform->Beep();
        m_pApp->ShowStatus(QString("No definition of %1 found").arg(name));
        return;
    }
    auto shownName = [&](const FileName& path) {
        return path.isEmpty() ? m_pDoc->GetTitle() : path.Display();
    };
    std::size_t chosen = 0;
    if (places.size() > 1) {
        QStringList rows;
        for (const Definitions::Place& place : places)
            rows << QString("%1:%2: %3")
                        .arg(shownName(place.file))
                        .arg(place.line + 1)
                        .arg(DecodeBytes(place.text));
        CDefinitionsDlg dialog(name, rows, this);
        const std::optional<int> result = RunSearchDialog(dialog);
        if (!result)
            return;
        if (*result != IDOK) {
            g_bIgnoreNextDrag = true;
            return;
        }
        chosen = std::size_t(dialog.Chosen());
    }
    const Definitions::Place& place = places[std::min(chosen, places.size() - 1)];
    const QString status = QString("Definition of %1: %2, line %3")
                               .arg(name, shownName(place.file))
                               .arg(place.line + 1);
    if (place.file == file) {
        SelectLine(place.line);
        m_pApp->ShowStatus(status);
    } else if (!m_pApp->ShowDefinition(place.file, place.line, status)) {
        platform->MessageBox("Unable to open the file:\n" + place.file.Display(), MB_OK);
    }
}
