#include "CircuitFamily.h"

#include <QPointer>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

#include "CDocManager.h"
#include "CommandIds.h"
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

FileName FamilyBaseName(const ShareBlock* block, const FileNameList& openedFiles) {
    if (block != nullptr) {
        const QByteArray directory = block->CircuitDirectory();
        const QByteArray name = block->CircuitName();
        if (!directory.isEmpty() && !name.isEmpty())
            return FileName::FromBytes(directory + name);
    }
    for (const FileName& file : openedFiles) {
        // The extension itself, not just the last three characters: "x.pcir" and a folder
        // "a.b/cir" are no circuits.
        const QByteArray& bytes = file.Bytes();
        const qsizetype dot = bytes.lastIndexOf('.');
        const QByteArray ending = bytes.mid(dot + 1);
        if (dot >= 1 && dot > bytes.lastIndexOf('/') && (ending == "CIR" || ending == "cir"))
            return FileName::FromBytes(bytes.left(dot));
    }
    return {};
}

FileName FindFamilyFile(const FileName& path) {
    if (QueryFileStatus(path).exists)
        return path;
    const FileName folder = path.Folder();
    const FileName name = path.Leaf();
    if (name.isEmpty())
        return {};
    const QByteArray base = name.Bytes().left(name.Bytes().lastIndexOf('.'));
    // The folder's entries that are no folders, in byte order, as the system names them.
    std::vector<FileName> entries;
    if (DIR* listing = ::opendir(folder.isEmpty() ? "." : folder.Path())) {
        while (const dirent* entry = ::readdir(listing)) {
            const FileName entryName = FileName::FromBytes(entry->d_name);
            struct stat info {};
            const bool folderEntry =
                ::stat((folder + entryName).Path(), &info) == 0 && S_ISDIR(info.st_mode);
            if (entryName.SameButCase(name) && !folderEntry)
                entries.push_back(entryName);
        }
        ::closedir(listing);
    }
    std::sort(entries.begin(), entries.end(),
              [](const FileName& a, const FileName& b) { return a.Bytes() < b.Bytes(); });
    FileName found;
    for (const FileName& entry : entries) {
        if (entry.StartsWith(base + '.'))
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
