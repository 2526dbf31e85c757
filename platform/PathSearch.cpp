#include "PathSearch.h"

#include <QCoreApplication>
#include <QFile>

#include <climits>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Kind { File, Anything };

FileName Existing(const FileName& path, Kind kind) {
    struct stat info {};
    if (::stat(path.Path(), &info) != 0)
        return {};
    if (kind == Kind::File && S_ISDIR(info.st_mode))
        return {};
    return AbsolutePath(path);
}

FileName Search(const FileName& directory, const FileName& name, Kind kind) {
    if (name.isEmpty())
        return {};
    if (name.StartsWith("/"))
        return Existing(name, kind);
    if (name.StartsWith("~/"))
        return Existing(HomeDirectory() + name.Bytes().mid(1), kind);
    if (!directory.isEmpty())
        return Existing(directory.WithSlash() + name, kind);
    FileNameList order{ProgramDirectory(), CurrentDirectory()};
    for (const QByteArray& entry : qgetenv("PATH").split(':'))
        if (!entry.isEmpty())
            order << FileName::FromBytes(entry).WithSlash();
    for (const FileName& entry : order)
        if (FileName found = Existing(entry + name, kind); !found.isEmpty())
            return found;
    return {};
}

} // namespace

FileName ProgramDirectory() {
    char program[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", program, sizeof program);
    if (n <= 0 || n == ssize_t(sizeof program))
        return FileName::FromBytes(QFile::encodeName(QCoreApplication::applicationDirPath()))
            .WithSlash();
    return FileName::FromBytes(QByteArrayView(program, n)).Folder();
}

FileName CurrentDirectory() {
    char* current = ::getcwd(nullptr, 0);
    if (current == nullptr)
        return {};
    const FileName directory = FileName::FromBytes(current);
    std::free(current);
    return directory.WithSlash();
}

FileName HomeDirectory() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        if (const passwd* user = ::getpwuid(::getuid()))
            home = user->pw_dir;
    return FileName::FromBytes(home.isEmpty() ? QByteArray("/") : home);
}

FileName SearchFile(const FileName& directory, const FileName& name) {
    return Search(directory, name, Kind::File);
}

FileName SearchEntry(const FileName& directory, const FileName& name) {
    return Search(directory, name, Kind::Anything);
}

FileName AbsolutePath(const FileName& name) {
    return (name.StartsWith("/") ? name : CurrentDirectory() + name).Cleaned();
}

FileName CanonicalPath(const FileName& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.Path(), resolved) != nullptr)
        return FileName::FromBytes(resolved);
    return AbsolutePath(path);
}
