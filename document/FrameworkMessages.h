#pragma once

#include <QString>

#include "FileName.h"

// The document framework's own failure messages. %1 is the file's path, as shown.
inline constexpr char kFailedToOpen[] = "Failed to open document.";
inline constexpr char kFailedToSave[] = "Failed to save document.";
inline constexpr char kCannotFind[] =
    "%1\nCannot find this file.\nPlease verify that the correct path and file name are given.";
inline constexpr char kCannotRead[] = "Unable to read from %1, it is opened by someone else.";
inline constexpr char kCannotWrite[] =
    "Unable to write to %1, it is read-only or opened by someone else.";
inline constexpr char kDiskFull[] = "Disk full while accessing %1.";
// Added to a save failure when a file written in place could not be put back as it was.
inline constexpr char kOldBytesKept[] =
    "\n\nThe file could not be put back as it was. Its previous contents are kept in:\n%1";
inline constexpr char kSaveChanges[] = "Save changes to %1?";
// A name that a file dialog gave with characters it could not read from the file system.
inline constexpr char kNameNotExact[] =
    "%1\nThis name holds characters that stand for bytes the file dialog could not read, "
    "so it may name another file.\nPlease rename the file or open it from the command line.";

// The message for a file error (an errno value) met while opening or saving.
QString OpenFailureMessage(int error, const FileName& path);
QString SaveFailureMessage(int error, const FileName& path);
