#pragma once

#include <QString>

// What the program asks of a file by name.
struct FileStatus {
    bool exists = false;
    bool regular = false;
    // No write permission bit at all, or this user may not write it: root may write
    // anything, so the missing bits alone must also count.
    bool readOnly = false;
    // The modification time, local, as "%d %b %y, %H:%M" in the C locale.
    QString fileTime;
};

// exists is false when the status cannot be read.
FileStatus QueryFileStatus(const QString& path);

// 0 when `path` is a regular file that this user can open for reading; otherwise why not,
// as an errno value (EISDIR for a folder, EINVAL for a FIFO or a device). Never blocks.
int ReadableFileError(const QString& path);

// A time as the program shows file times.
QString FormatFileTime(long long secondsSinceEpoch);
