#include "FrameworkMessages.h"

#include <cerrno>

QString OpenFailureMessage(int error, const FileName& path) {
    const QString& shown = path.Display();
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return QString(kCannotFind).arg(shown);
    case EACCES:
    case EPERM:
        return QString(kCannotRead).arg(shown);
    default:
        return kFailedToOpen;
    }
}

QString SaveFailureMessage(int error, const FileName& path) {
    const QString& shown = path.Display();
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return QString(kCannotWrite).arg(shown);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // a file-size limit: the disk is full as far as this user may fill it
        return QString(kDiskFull).arg(shown);
    default:
        return kFailedToSave;
    }
}
