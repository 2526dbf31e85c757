#include "PathSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <climits>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileName.h"

namespace {

enum class Kind { File, Anything };

QString Existing(const QString& path, Kind kind) {
    struct stat info {};
    if (::stat(FileNameBytes(path).constData(), &info) != 0)
        return {};
    if (kind == Kind::File && S_ISDIR(info.st_mode))
        return {};
    return AbsolutePath(path);
}

QString WithSlash(QString directory) {
    if (!directory.isEmpty() && !directory.endsWith('/'))
        directory += '/';
    return directory;
}

QString Search(const QString& directory, const QString& name, Kind kind) {
    if (name.isEmpty())
        return {};
    if (name.startsWith('/'))
        return Existing(name, kind);
    if (name.startsWith("~/"))
        return Existing(HomeDirectory() + name.mid(1), kind);
    if (!directory.isEmpty())
        return Existing(WithSlash(directory) + name, kind);
    QStringList order{ProgramDirectory(), CurrentDirectory()};
    const QString path = FileNameFromBytes(qgetenv("PATH"));
    for (const QString& entry : path.split(':', Qt::SkipEmptyParts))
        order << WithSlash(entry);
    for (const QString& entry : order)
        if (QString found = Existing(entry + name, kind); !found.isEmpty())
            return found;
    return {};
}

} // namespace

QString ProgramDirectory() {
    char program[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", program, sizeof program);
    if (n <= 0 || n == ssize_t(sizeof program))
        return WithSlash(QCoreApplication::applicationDirPath());
    const QByteArray path(program, n);
    return FileNameFromBytes(path.left(path.lastIndexOf('/') + 1));
}

QString CurrentDirectory() {
    char* current = ::getcwd(nullptr, 0);
    if (current == nullptr)
        return {};
    const QString directory = FileNameFromBytes(current);
    std::free(current);
    return WithSlash(directory);
}

QString HomeDirectory() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        if (const passwd* user = ::getpwuid(::getuid()))
            home = user->pw_dir;
    return FileNameFromBytes(home.isEmpty() ? QByteArray("/") : home);
}

QString SearchFile(const QString& directory, const QString& name) {
    return Search(directory, name, Kind::File);
}

QString SearchEntry(const QString& directory, const QString& name) {
    return Search(directory, name, Kind::Anything);
}

QString AbsolutePath(const QString& name) {
    // Text only: QDir::cleanPath never asks the file system, so escaped bytes survive it.
    return QDir::cleanPath(name.startsWith('/') ? name : CurrentDirectory() + name);
}

QString CanonicalPath(const QString& path) {
    char resolved[PATH_MAX];
    if (::realpath(FileNameBytes(path).constData(), resolved) != nullptr)
        return FileNameFromBytes(resolved);
    return AbsolutePath(path);
}
