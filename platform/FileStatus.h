#pragma once

#include <cerrno>

#include <QString>

#include "FileName.h"

// What the program asks of a file by name.
struct FileStatus {
    bool exists = false;
    bool regular = false;
    // No write permission bit at all, or this user may not write it: root may write
    // anything, so the missing bits alone must also count.
    bool readOnly = false;
    // 0 when this is a regular file that this user can open for reading; otherwise why
    // not, as an errno value (ENOENT when there is no such file, EISDIR for a folder,
    // EINVAL for a FIFO or a device).
    int readError = ENOENT;
    // The modification time, local, as "%d %b %y, %H:%M" in the C locale.
    QString fileTime;
    // The modification time to the nanosecond, and the size in bytes: together they tell
    // whether another program has written the file since it was last looked at.
    long long modifiedNs = 0;
    long long size = 0;

    [[nodiscard]] bool Readable() const { return readError == 0; }
};

// Everything the program asks of a file by name, from one look at it; exists is false
// when the status cannot be read. Never blocks: only a regular file is opened, to prove
// it readable, and opening some devices does something.
FileStatus QueryFileStatus(const FileName& path);

// A time as the program shows file times.
QString FormatFileTime(long long secondsSinceEpoch);
