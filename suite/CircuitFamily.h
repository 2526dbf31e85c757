#pragma once

#include "FileName.h"

class CDocManager;
class CKelvoDoc;
class ShareBlock;

// The files a simulation leaves beside a circuit NAME.cir: NAME.ckt, .err, .out and .tmp,
// in the circuit's folder.
namespace CircuitFamily {

// One of the five Window commands for the family, and the suite's request for the same.
struct Member {
    int id;
    const char* extension; // as appended to the base name
    bool circuit;          // marks the document as the circuit rather than as derived
    char request;          // the suite's familyRequest byte
};
inline constexpr int kMembers = 5;
extern const Member kFamily[kMembers];
// The member for a command id or for a familyRequest byte; null when none is.
const Member* MemberForCommand(int id);
const Member* MemberForRequest(unsigned char request);

// The circuit's full path without its extension: the circuit the suite names in the block
// when both its directory and name are there; otherwise the first opened file whose
// extension is exactly "CIR" or "cir". Empty when neither gives one.
FileName FamilyBaseName(const ShareBlock* block, const FileNameList& openedFiles);

// The file at `path`, or else the one file of the same folder whose name differs only in
// letter case (a circuit amp.cir finds amp.out for "amp.OUT"); a name that matches in its
// base exactly is preferred. Empty when there is none.
FileName FindFamilyFile(const FileName& path);

// Closes the documents opened for the suite, taking each one's successor first: with
// `circuits`, every circuit document but `spared`, each offered for saving first and left
// open when the user cancels; then every derived document, without a question, modified
// or not.
void CloseSuiteDocuments(CDocManager& manager, const CKelvoDoc* spared, bool circuits);

} // namespace CircuitFamily
