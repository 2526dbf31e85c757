#include "FileStatus.h"

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

QString FormatFileTime(long long secondsSinceEpoch) {
    const std::time_t when = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    // The C locale, whatever the user's: the text is compared, not only shown.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::size_t n = strftime_l(text, sizeof text, "%d %b %y, %H:%M", &local, cLocale);
    return QString::fromLatin1(text, qsizetype(n));
}

FileStatus QueryFileStatus(const FileName& path) {
    FileStatus status;
    const char* name = path.Path();
    struct stat info {};
    if (path.isEmpty() || ::stat(name, &info) != 0) {
        status.readError = path.isEmpty() ? ENOENT : errno;
        return status;
    }
    status.exists = true;
    status.regular = S_ISREG(info.st_mode);
    const bool noWriteBits = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    status.readOnly = noWriteBits || ::access(name, W_OK) != 0;
    status.fileTime = FormatFileTime(static_cast<long long>(info.st_mtime));
    status.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000 +
                        static_cast<long long>(info.st_mtim.tv_nsec);
    status.size = static_cast<long long>(info.st_size);
    if (!status.regular) {
        status.readError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    } else if (const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC); fd < 0) {
        status.readError = errno;
    } else {
        ::close(fd);
        status.readError = 0;
    }
    return status;
}
