#pragma once

// What TextStore::Edit does. 1-6 are the user's operations; 7-12 replay an undo record
// and 13-18 a redo record of the same operations. A Replace All is recorded as 19 on the
// undo list and 20 on the redo list.
enum EditKind : int {
    kInsertChar = 1,
    kDeleteBefore = 2,
    kOvertypeChar = 3,
    kDeleteAt = 4,
    kDeleteBlock = 5,
    kInsertText = 6,

    kUndoInsertChar = 7,   // DeleteBefore
    kUndoDeleteBefore = 8, // InsertChar of the saved byte
    kUndoOvertypeChar = 9, // RestoreOvertyped
    kUndoDeleteAt = 10,    // ReinsertDeleted
    kUndoDeleteBlock = 11, // InsertText of the saved text
    kUndoInsertText = 12,  // DeleteBlock

    kRedoInsertChar = 13,
    kRedoDeleteBefore = 14,
    kRedoOvertypeChar = 15,
    kRedoDeleteAt = 16,
    kRedoDeleteBlock = 17,
    kRedoInsertText = 18,

    kUndoReplaceAll = 19, // puts back the replaced text of every stretch
    kRedoReplaceAll = 20, // replaces every stretch again
};

constexpr bool IsUserEdit(EditKind kind) noexcept {
    return kind >= kInsertChar && kind <= kInsertText;
}

// The run records whose replay takes back a saved byte, one per step: the deleted or
// overtyped characters, and on the redo side the characters an undo took out.
constexpr bool SavesByte(EditKind recordKind) noexcept {
    return recordKind == kUndoDeleteBefore || recordKind == kUndoOvertypeChar ||
           recordKind == kUndoDeleteAt || recordKind == kRedoInsertChar ||
           recordKind == kRedoOvertypeChar;
}
