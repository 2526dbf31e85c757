#include "SimulationPrompts.h"

#include <QPointer>

#include "CDocManager.h"
#include "Platform.h"
#include "ShareBlock.h"

namespace SimulationPrompts {

namespace {

bool AnyModified(const CDocManager& manager) {
    for (const CKelvoDoc* document : manager.Documents())
        if (document->IsModified())
            return true;
    return false;
}

QString ShownName(const CKelvoDoc& document) {
    return document.GetPathName().isEmpty() ? document.GetTitle()
                                            : document.GetPathName().Display();
}

} // namespace

void ReportModifiedState(const ShareBlock& block, const CDocManager& manager) {
    const unsigned char state = block.Get(ShareBlock::kEditState);
    const bool modified = AnyModified(manager);
    if (state == ShareBlock::kClean && modified)
        block.Set(ShareBlock::kEditState, ShareBlock::kModified);
    else if (state == ShareBlock::kModified && !modified)
        block.Set(ShareBlock::kEditState, ShareBlock::kClean);
}

void PromptSaveForSimulation(const ShareBlock* block, CDocManager& manager, Platform& platform) {
    const bool simulating =
        block != nullptr && block->Get(ShareBlock::kEditState) == ShareBlock::kAskingToSave;
    const bool running = block != nullptr && block->Get(ShareBlock::kSimulatorRunning) != 0;
    bool leftUnsaved = false;
    // A question runs a loop of its own, in which documents may come and go.
    const std::vector<CKelvoDoc*> documents = manager.Documents();
    const std::vector<QPointer<CKelvoDoc>> alive(documents.begin(), documents.end());
    for (const QPointer<CKelvoDoc>& document : alive) {
        if (!document || !document->IsModified())
            continue;
        const QString name = ShownName(*document);
        QString text;
        if (simulating && running)
            text = "Save changes and restart Corvane?\nCorvaneData may be lost!\n\n" + name;
        else if (simulating)
            text = "Save changes before running Corvane?\n\n" + name;
        else
            text = "Save changes before simulation?\n\n" + name;
        const int answer = platform.MessageBox(text, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL && simulating) {
            block->Set(ShareBlock::kEditState, ShareBlock::kSaveCancelled);
            return;
        }
        if (answer == IDNO || !document || !manager.DoFileSave(document))
            leftUnsaved = true;
    }
    if (leftUnsaved && block != nullptr)
        block->Set(ShareBlock::kEditState,
                   running ? ShareBlock::kModified : ShareBlock::kLeftUnsaved);
}

} // namespace SimulationPrompts
