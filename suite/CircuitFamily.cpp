#include "CircuitFamily.h"

#include <QDir>
#include <QPointer>

#include "CDocManager.h"
#include "CommandIds.h"
#include "FileName.h"
#include "FileStatus.h"
#include "ShareBlock.h"

namespace CircuitFamily {

const Member kFamily[kMembers] = {
    {ID_WINDOW_CIR, ".CIR", true, 't'},  {ID_WINDOW_CKT, ".CKT", false, 'k'},
    {ID_WINDOW_ERR, ".ERR", false, 'e'}, {ID_WINDOW_OUT, ".OUT", false, 'o'},
    {ID_WINDOW_TMP, ".TMP", false, 'x'},
};

const Member* MemberForCommand(int id) {
    for (const Member& member : kFamily)
        if (member.id == id)
            return &member;
    return nullptr;
}

const Member* MemberForRequest(unsigned char request) {
    for (const Member& member : kFamily)
        if (static_cast<unsigned char>(member.request) == request)
            return &member;
    return nullptr;
}

QString FamilyBaseName(const ShareBlock* block, const QStringList& openedFiles) {
    if (block != nullptr) {
        const QByteArray directory = block->CircuitDirectory();
        const QByteArray name = block->CircuitName();
        if (!directory.isEmpty() && !name.isEmpty())
            return FileNameFromBytes(directory + name);
    }
    for (const QString& file : openedFiles) {
        // The extension itself, not just the last three characters: "x.pcir" and a folder
        // "a.b/cir" are no circuits.
        const qsizetype dot = file.lastIndexOf('.');
        const QString ending = file.mid(dot + 1);
        if (dot >= 1 && dot > file.lastIndexOf('/') && (ending == "CIR" || ending == "cir"))
            return file.left(dot);
    }
    return {};
}

QString FindFamilyFile(const QString& path) {
    if (QueryFileStatus(path).exists)
        return path;
    const qsizetype slash = path.lastIndexOf('/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    if (name.isEmpty())
        return {};
    const QString base = name.left(name.lastIndexOf('.'));
    QString found;
    const QStringList entries =
        QDir(folder.isEmpty() ? QString(".") : folder)
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.startsWith(base + '.'))
            return folder + entry;
        if (found.isEmpty())
            found = folder + entry;
    }
    return found;
}

void CloseSuiteDocuments(CDocManager& manager, const CKelvoDoc* spared, bool circuits) {
    // A question runs a loop of its own, in which documents may come and go.
    const std::vector<CKelvoDoc*> documents = manager.Documents();
    const std::vector<QPointer<CKelvoDoc>> alive(documents.begin(), documents.end());
    if (circuits)
        for (const QPointer<CKelvoDoc>& document : alive)
            if (document && document != spared && document->IsSuiteCircuit() &&
                manager.SaveModified(document))
                if (document)
                    manager.OnCloseDocument(document);
    for (const QPointer<CKelvoDoc>& document : alive)
        if (document && document != spared && document->IsSuiteDerived())
            manager.OnCloseDocument(document);
}

} // namespace CircuitFamily
