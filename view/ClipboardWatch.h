#pragma once

// Whether the clipboard holds text, for Paste's state. Paste's state is asked at every idle
// pass and before every shortcut, so the answer is kept and renewed when the clipboard
// changes.
bool ClipboardHasText();

// The first look at another program's clipboard loads every image-format plug-in (Qt lists
// what the data could be converted to), which the start-up need not wait for: until the
// window has been painted, the clipboard counts as holding no text. Until it is deferred,
// the first question looks at once.
void DeferClipboardLook();
// Ends the deferral and looks; true when the answer is text, so that Paste's state is due.
bool EndClipboardDeferral();
