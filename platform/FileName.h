#pragma once

#include <QByteArray>
#include <QString>

// A file's name as the system knows it is bytes; the program carries it as a QString.
// Valid UTF-8 decodes as usual, and each byte that is not part of valid UTF-8 travels as
// the lone surrogate U+DC80 + (byte - 0x80), so that the bytes come back exactly. Qt's
// own file classes decode such bytes into U+FFFD and so reach another file: every open,
// stat, rename and search of a name goes through FileNameBytes and the system's calls.

// The name a system's bytes stand for; FileNameBytes gives the same bytes back.
QString FileNameFromBytes(const QByteArray& bytes);
// The system's bytes of a name.
QByteArray FileNameBytes(const QString& name);
// The name stands for one set of bytes exactly: no NUL, no surrogate that came from
// elsewhere than a byte of a name.
bool IsExactFileName(const QString& name);
// The name as a person reads it: each byte that is not valid UTF-8 shows as U+FFFD.
QString DisplayFileName(const QString& name);
