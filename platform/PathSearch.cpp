#include "PathSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString Existing(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

QString WithSlash(QString directory) {
    if (!directory.isEmpty() && !directory.endsWith('/'))
        directory += '/';
    return directory;
}

} // namespace

QString ProgramDirectory() {
    return WithSlash(QCoreApplication::applicationDirPath());
}

QString CurrentDirectory() {
    return WithSlash(QDir::currentPath());
}

QString SearchFile(const QString& directory, const QString& name) {
    if (name.isEmpty())
        return {};
    if (name.startsWith('/'))
        return Existing(name);
    if (name.startsWith("~/"))
        return Existing(QDir::homePath() + name.mid(1));
    if (!directory.isEmpty())
        return Existing(WithSlash(directory) + name);
    QStringList order{ProgramDirectory(), CurrentDirectory()};
    for (const QString& entry : qEnvironmentVariable("PATH").split(':', Qt::SkipEmptyParts))
        order << WithSlash(entry);
    for (const QString& entry : order)
        if (QString found = Existing(entry + name); !found.isEmpty())
            return found;
    return {};
}
