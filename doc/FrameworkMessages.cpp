#include "FrameworkMessages.h"

#include <cerrno>

QString OpenFailureMessage(int error, const QString& path) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return QString(kCannotFind).arg(path);
    case EACCES:
    case EPERM:
        return QString(kCannotRead).arg(path);
    default:
        return kFailedToOpen;
    }
}

QString SaveFailureMessage(int error, const QString& path) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return QString(kCannotWrite).arg(path);
    case ENOSPC:
    case EDQUOT:
        return QString(kDiskFull).arg(path);
    default:
        return kFailedToSave;
    }
}
