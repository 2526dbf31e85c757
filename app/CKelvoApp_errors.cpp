// From a simulator's message in an output or error file to the netlist line it names.

#include "CKelvoApp.h"

#include "CMainFrame.h"
#include "CircuitFamily.h"
#include "Windows1252.h"

bool CKelvoApp::ShowNetlistPlace(CKelvoDoc& output, const NetlistPlace& place) {
    // The netlist a simulation ran is NAME.cir beside its NAME.out and NAME.err, as the
    // suite's circuit is, in whichever letter case it has.
    const FileName wanted = output.GetPathName().WithExtension(".cir");
    const FileName found = CircuitFamily::FindFamilyFile(wanted);
    CKelvoDoc* netlist = found.isEmpty() ? nullptr : OpenByName(found);
    if (netlist == nullptr) {
        m_platform->MessageBox("Unable to open file:\n" + wanted.Display(), MB_OK | MB_ICONNONE);
        return false;
    }
    CKelvoView* view = m_pMainWnd->ActiveView();
    if (view == nullptr || view->GetDocument() != netlist || netlist->GetStore() == nullptr)
        return false;
    const TextStore& store = *netlist->GetStore();
    const QString card = DecodeBytes(place.card);
    const std::int32_t line = place.line >= 0 ? place.line : FindCard(store, place.card);
    if (line < 0 || line >= store.LineCount()) {
        m_platform->Beep();
        ShowStatus(place.line >= 0 ? QString("The netlist has no line %1").arg(place.line + 1)
                                   : QString("The netlist has no card %1").arg(card));
        return false;
    }
    QString status = DecodeBytes(place.message);
    // The card is the instance of the outermost subcircuit: the message meant an element
    // inside it.
    if (!place.innerPath.empty())
        status += QString(" (%1 inside %2)").arg(DecodeBytes(place.innerPath), card.toUpper());
    // The message stays while the line is worked on, until the next one replaces it.
    view->SelectLine(line);
    m_pMainWnd->StatusBar()->showMessage(status);
    return true;
}
