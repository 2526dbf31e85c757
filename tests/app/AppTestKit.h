#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "CKelvoApp.h"
#include "Preferences.h"
#include "QtPlatform.h"
#include "fakes/ScriptedPlatform.h"

// The program started as a user starts it, in a folder and with a profile of its own, its
// questions answered by a script. Each test starts it afresh: call SetUp from init() and
// TearDown from cleanup().
class AppTestKit : public QObject {
protected:
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<QSettings> profile;
    std::unique_ptr<CKelvoApp> app;
    QString previousDirectory;
    // The real dialogs and message boxes, for a test that answers them itself; it lives
    // until the program has ended, since the program's block is mapped through it.
    std::unique_ptr<QtPlatform> qtPlatform;

    QtPlatform& RealPlatform() {
        qtPlatform = std::make_unique<QtPlatform>();
        return *qtPlatform;
    }

    FileName Path(const QString& name) const { return FileName::FromText(dir.filePath(name)); }
    QString TextPath(const QString& name) const { return dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Starts the program with these arguments after its name; `other` answers in place of
    // the script (the real dialogs, say).
    CKelvoApp& Start(const QStringList& arguments, Platform* other = nullptr) {
        QByteArrayList bytes;
        for (const QString& argument : arguments)
            bytes << argument.toUtf8();
        return StartWithBytes(bytes, other);
    }
    CKelvoApp& StartWithBytes(QByteArrayList arguments, Platform* other = nullptr) {
        arguments.prepend("kelvo");
        app = std::make_unique<CKelvoApp>(other != nullptr ? other : &platform, profile.get(),
                                          arguments);
        app->InitInstance();
        return *app;
    }
    void SetUp() {
        platform = ScriptedPlatform();
        profile = std::make_unique<QSettings>(dir.filePath("profile.ini"), QSettings::IniFormat);
        // The folder outlives each test: what one test's run left in the profile (its recent
        // files) must not reach the next.
        profile->clear();
        // A preference folder of the test's own, holding the file a fresh install has.
        QDir(dir.path()).mkpath("prefs");
        qputenv("KVDIR", Path("prefs").Bytes());
        Write("prefs/kelvo.prf", Preferences().ToBytes());
        previousDirectory = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() {
        if (app) {
            app->MainFrame()->SetOwner(nullptr);
            app->ExitInstance();
        }
        app.reset();
        qtPlatform.reset();
        profile.reset();
        QDir::setCurrent(previousDirectory);
        qunsetenv("KVDIR");
    }
};
