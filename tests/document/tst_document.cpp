#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "CDocManager.h"
#include "CommandIds.h"
#include "FrameworkMessages.h"
#include "fakes/ScriptedPlatform.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A folder's names as the system keeps them (QDir cannot list a name that is not UTF-8).
QList<QByteArray> Entries(const QByteArray& folder) {
    QList<QByteArray> names;
    if (DIR* listing = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(listing))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names << entry->d_name;
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT
    ScriptedPlatform platform;
    CFileLists lists;
    QTemporaryDir dir;

    QList<QByteArray> rawNames; // made by a test; Qt could not remove them

    QString Path(const QString& name) const { return dir.filePath(name); }
    // A name the test spells as text.
    static FileName Name(const QString& text) { return FileName::FromText(text); }

private slots:
    void init() {
        platform = ScriptedPlatform();
        lists = CFileLists();
    }
    void cleanup() {
        while (!rawNames.isEmpty())
            ::unlink(rawNames.takeLast().constData());
    }

    void newDocumentsAreNumbered() {
        CDocManager manager(&platform, &lists);
        CKelvoDoc* first = manager.OpenNewDocument();
        CKelvoDoc* second = manager.OpenNewDocument();
        QCOMPARE(first->GetTitle(), QString("Untitled1"));
        QCOMPARE(second->GetTitle(), QString("Untitled2"));
        QCOMPARE(first->GetStore()->LineCount(), 1);
        QVERIFY(!first->IsModified());
        QVERIFY(first->GetPathName().isEmpty());
        QVERIFY(first->GetFileTime().isEmpty());
        QCOMPARE(manager.CountDocuments(), 2);
    }

    void openEditSaveRoundTrip() {
        WriteAll(Path("amp.cir"), "* amp\r\nR1 1 2 10k\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("amp.cir")));
        QVERIFY(doc != nullptr);
        QCOMPARE(doc->GetTitle(), QString("amp.cir"));
        QVERIFY(platform.shown.empty());
        QVERIFY(!doc->CanSave());
        QRegularExpression time("^\\d\\d [A-Z][a-z][a-z] \\d\\d, \\d\\d:\\d\\d$");
        QVERIFY(time.match(doc->GetFileTime()).hasMatch());

        doc->GetStore()->Edit({1, 0}, kInsertText, "C1 2 0 1u\r");
        QVERIFY(doc->IsModified() && doc->CanSave() && doc->CanUndo());
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path("amp.cir")), QByteArray("* amp\r\nC1 2 0 1u\r\nR1 1 2 10k\r\n"));
        QVERIFY(!doc->IsModified());
        QVERIFY(!doc->CanUndo());
        QVERIFY(!doc->CanRedo());
        QCOMPARE(lists.OpenedFiles(), FileNameList{Name(Path("amp.cir"))});
        QCOMPARE(lists.Directories(), FileNameList{Name(dir.path() + "/")});
    }

    void sameFileOpensOnce() {
        WriteAll(Path("a.cir"), "x\r\n");
        WriteAll(Path("A.cir"), "y\r\n");
        QFile::link(Path("a.cir"), Path("link.cir"));
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("a.cir")));
        QCOMPARE(manager.OpenDocumentFile(Name(Path("link.cir"))), doc);
        QCOMPARE(manager.OpenDocumentFile(Name(dir.path() + "/./a.cir")), doc);
        CKelvoDoc* other = manager.OpenDocumentFile(Name(Path("A.cir")));
        QVERIFY(other != doc);
        QCOMPARE(lists.OpenedFiles(), (FileNameList{Name(Path("a.cir")), Name(Path("A.cir"))}));
        QCOMPARE(manager.CountDocuments(), 2);
    }

    void outputFilesAreMarkedByTheirOwnExtension_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("output");
        QTest::newRow("plain") << "run/AMP.OUT" << true;
        QTest::newRow("mixed case") << "run/amp.Out" << true;
        QTest::newRow("dotted folder") << "sim.v2/amp.out" << true;
        QTest::newRow("netlist in dotted folder") << "sim.v2/amp.cir" << false;
        QTest::newRow("name is only the extension") << "run/.out" << false;
        QTest::newRow("out inside the name") << "run/amp.out.bak" << false;
    }

    void outputFilesAreMarkedByTheirOwnExtension() {
        QFETCH(QString, relative);
        QFETCH(bool, output);
        QDir(dir.path()).mkpath(QFileInfo(Path(relative)).path());
        WriteAll(Path(relative), "x\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path(relative)));
        QVERIFY(doc != nullptr);
        QCOMPARE(bool(doc->IsOutputReadOnly()), output);
        CommandUpdate readOnly(ID_OPTIONS_READ_ONLY);
        QVERIFY(doc->OnUpdateCommand(readOnly));
        QCOMPARE(readOnly.checked, std::optional<bool>(output));
    }

    void failedSaveKeepsTheOldFileAndTheChanges() {
        // The longest name the system allows still saves.
        const QString name = QString(255, 'n');
        WriteAll(Path(name), "old\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path(name)));
        QVERIFY(doc != nullptr);
        doc->GetStore()->Edit({0, 0}, kInsertChar, "N");
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path(name)), QByteArray("Nold\r\n"));

        // A write that fails half-way (a file-size limit binds even root).
        doc->GetStore()->Edit({0, 0}, kInsertText, QByteArray(5000, 'x').constData());
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = manager.DoFileSave(doc);
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        QCOMPARE(ReadAll(Path(name)), QByteArray("Nold\r\n"));
        QVERIFY(doc->IsModified());
        QVERIFY(doc->CanUndo());
        QCOMPARE(platform.shown.back().text, QString(kDiskFull).arg(Path(name)));
        QCOMPARE(QDir(dir.path()).entryList({".kvsave*"}, QDir::Hidden | QDir::Files),
                 QStringList());

        // A folder in the way: a plain file stands where the folder should be.
        WriteAll(Path("plain"), "");
        platform.saveNames = {Path("plain/amp.cir")};
        QVERIFY(!manager.DoSave(doc));
        QCOMPARE(platform.shown.back().text, QString(kFailedToSave));
        QCOMPARE(doc->GetPathName(), Name(Path(name)));
    }

    void readOnlyFileIsSavedAs() {
        WriteAll(Path("ro.cir"), "a\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("ro.cir")));
        doc->GetStore()->Edit({0, 1}, kInsertChar, "b");
        // Made read-only while open: the file's state now decides.
        QFile::setPermissions(Path("ro.cir"), QFile::ReadOwner | QFile::ReadGroup);
        // Save goes through Save As; a read-only target is refused, the file kept.
        platform.saveNames = {Path("ro.cir"), Path("rw.cir")};
        QVERIFY(!manager.DoFileSave(doc));
        QCOMPARE(platform.shown.back().text, QString(kCannotWrite).arg(Path("ro.cir")));
        QCOMPARE(ReadAll(Path("ro.cir")), QByteArray("a\r\n"));
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path("rw.cir")), QByteArray("ab\r\n"));
        QCOMPARE(doc->GetPathName(), Name(Path("rw.cir")));
        QCOMPARE(doc->GetTitle(), QString("rw.cir"));
        QVERIFY(!doc->IsDiskReadOnly());
        // A read-only file opened as such is writable once saved under a writable name.
        CKelvoDoc* second = manager.OpenDocumentFile(Name(Path("ro.cir")));
        QVERIFY(second->IsDiskReadOnly());
        platform.saveNames = {Path("rw2.cir")};
        QVERIFY(manager.DoSave(second));
        QVERIFY(!second->IsDiskReadOnly());

        // Made read-only after it was opened: Save still asks for a new name.
        QFile::setPermissions(Path("rw.cir"), QFile::ReadOwner);
        doc->GetStore()->Edit({0, 0}, kInsertChar, "c");
        platform.saveNames = {};
        QVERIFY(!manager.DoFileSave(doc)); // the dialog was cancelled
        QCOMPARE(platform.saveSuggestions.back(), Name(Path("rw.cir")));
        QCOMPARE(ReadAll(Path("rw.cir")), QByteArray("ab\r\n"));
    }

    void savingKeepsPermissionsAndLinks() {
        WriteAll(Path("perm.cir"), "a\r\n");
        QFile::setPermissions(Path("perm.cir"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QFile::link(Path("perm.cir"), Path("perm-link.cir"));
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("perm-link.cir")));
        doc->GetStore()->Edit({0, 1}, kInsertChar, "z");
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path("perm.cir")), QByteArray("az\r\n"));
        QVERIFY(QFileInfo(Path("perm-link.cir")).isSymLink());
        struct stat info {};
        QCOMPARE(::stat(Path("perm.cir").toLocal8Bit().constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(QDir(dir.path()).entryList({".kvsave*"}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    void untitledSaveAsFeedsTheDirectory() {
        QDir(dir.path()).mkdir("new");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenNewDocument();
        platform.saveNames = {Path("new/first.cir")};
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path("new/first.cir")), QByteArray("\r\n"));
        QVERIFY(lists.Directories().contains(Name(dir.path() + "/new/")));
        QCOMPARE(platform.saveSuggestions.back(), Name(QDir::current().filePath("Untitled1")));
    }

    void filesThatCannotOpenAreRefused_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.cir" << QString(kCannotFind).arg(Path("missing.cir"));
        QTest::newRow("folder") << "folder" << QString(kFailedToOpen);
        QTest::newRow("fifo") << "fifo" << QString(kFailedToOpen);
        QTest::newRow("device") << "/dev/null" << QString(kFailedToOpen);
    }

    void filesThatCannotOpenAreRefused() {
        QFETCH(QString, relative);
        QFETCH(QString, message);
        QDir(dir.path()).mkdir("folder");
        ::mkfifo(Path("fifo").toLocal8Bit().constData(), 0600);
        CDocManager manager(&platform, &lists);
        const QString path = relative.startsWith('/') ? relative : Path(relative);
        QCOMPARE(manager.OpenDocumentFile(Name(path)), nullptr);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, message);
        QCOMPARE(manager.CountDocuments(), 0);
        QVERIFY(lists.OpenedFiles().isEmpty());
    }

    // A quota or "ulimit -f" reads as a full disk; its signal, left at its default here,
    // must not end the program with the unsaved document.
    void fileSizeLimitIsADiskFull() {
        WriteAll(Path("big.cir"), "old\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("big.cir")));
        QVERIFY(doc != nullptr);
        doc->GetStore()->Edit({0, 0}, kInsertText, QByteArray(5000, 'y').constData());
        ::signal(SIGXFSZ, SIG_DFL);
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = manager.DoFileSave(doc);
        ::setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!saved);
        QCOMPARE(platform.shown.back().text, QString(kDiskFull).arg(Path("big.cir")));
        QCOMPARE(platform.shown.back().style, MB_OK | MB_ICONEXCLAMATION);
        QVERIFY(doc->IsModified());
        QCOMPARE(ReadAll(Path("big.cir")), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList({".kvsave*"}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // A name whose bytes are not valid UTF-8 (café in Latin-1) keeps its bytes.
    void nameNotValidUtf8OpensAndSavesItself() {
        QDir(dir.path()).mkdir("latin1");
        const QByteArray bytes = QFile::encodeName(Path("latin1")) + "/caf\xE9.cir";
        rawNames << bytes;
        const FileName name = FileName::FromBytes(bytes);
        const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "old\r\n", 5), ssize_t(5));
        ::close(fd);
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(name);
        QVERIFY(doc != nullptr);
        QVERIFY(platform.shown.empty());
        QCOMPARE(doc->GetPathName(), name);
        QCOMPARE(doc->GetTitle(), QString("caf\uFFFD.cir"));
        QCOMPARE(doc->GetStore()->LineAt(0)->length, 3);
        QCOMPARE(manager.OpenDocumentFile(name), doc);
        doc->GetStore()->Edit({0, 0}, kInsertChar, "n");
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(QFile::decodeName(bytes)), QByteArray("<missing>")); // no other file
        QFile saved;
        QVERIFY(saved.open(::open(bytes.constData(), O_RDONLY), QIODevice::ReadOnly,
                           QFileDevice::AutoCloseHandle));
        QCOMPARE(saved.readAll(), QByteArray("nold\r\n"));
        QCOMPARE(Entries(QFile::encodeName(Path("latin1"))), QList<QByteArray>{"caf\xE9.cir"});
        doc->GetStore()->Edit({0, 0}, kInsertChar, "m");
        platform.answers = {IDNO};
        QVERIFY(manager.SaveModified(doc));
        QCOMPARE(platform.shown.back().text, QString("Save changes to caf\uFFFD.cir?"));
    }

    // Qt's dialogs read such a name as U+FFFD: that name is another file, never used.
    void dialogNameThatLostItsBytesIsRefused_data() {
        QTest::addColumn<bool>("saving");
        QTest::newRow("open") << false;
        QTest::newRow("save as") << true;
    }

    void dialogNameThatLostItsBytesIsRefused() {
        QFETCH(bool, saving);
        const QString folder = Path(saving ? "lost-save" : "lost-open");
        QDir(dir.path()).mkdir(QFileInfo(folder).fileName());
        const QByteArray bytes = QFile::encodeName(folder) + "/caf\xE9.cir";
        rawNames << bytes;
        const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "old\r\n", 5), ssize_t(5));
        ::close(fd);
        const QString asTheDialogSaysIt = QFile::decodeName(bytes);
        QVERIFY(asTheDialogSaysIt.contains(QChar::ReplacementCharacter));
        const QString refusal = QString(kNameNotExact).arg(asTheDialogSaysIt);
        CDocManager manager(&platform, &lists);

        if (saving) {
            WriteAll(folder + "/mine.cir", "mine\r\n");
            CKelvoDoc* doc = manager.OpenDocumentFile(Name(folder + "/mine.cir"));
            doc->GetStore()->Edit({0, 0}, kInsertChar, "x");
            platform.saveNames = {asTheDialogSaysIt};
            QVERIFY(!manager.DoSave(doc));
            QCOMPARE(platform.shown.back().text, refusal);
            QVERIFY(doc->IsModified());
            QCOMPARE(doc->GetPathName(), Name(folder + "/mine.cir"));
            QCOMPARE(Entries(QFile::encodeName(folder)),
                     (QList<QByteArray>{"caf\xE9.cir", "mine.cir"}));
            QFile original;
            QVERIFY(original.open(::open(bytes.constData(), O_RDONLY), QIODevice::ReadOnly,
                                  QFileDevice::AutoCloseHandle));
            QCOMPARE(original.readAll(), QByteArray("old\r\n"));
            return;
        }
        // File > Open as the application runs it: the dialog's answer, then that file.
        const auto openThroughDialog = [&]() -> CKelvoDoc* {
            const FileName path = manager.AskOpenFileName(Name(folder));
            return path.isEmpty() ? nullptr : manager.OpenDocumentFile(path);
        };
        platform.openNames = {asTheDialogSaysIt};
        QCOMPARE(openThroughDialog(), nullptr);
        QCOMPARE(platform.shown.back().text, refusal);
        QCOMPARE(manager.CountDocuments(), 0);
        // A file truly named with U+FFFD is that file.
        WriteAll(asTheDialogSaysIt, "real\r\n");
        platform.openNames = {asTheDialogSaysIt};
        CKelvoDoc* real = openThroughDialog();
        QVERIFY(real != nullptr);
        QCOMPARE(real->GetPathName(), Name(asTheDialogSaysIt));
    }

    void nonStandardLineEndsWarn() {
        WriteAll(Path("lf.cir"), "a\nb\n");
        CDocManager manager(&platform, &lists);
        QVERIFY(manager.OpenDocumentFile(Name(Path("lf.cir"))) != nullptr);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QVERIFY(platform.shown[0].text.startsWith("This file does not use standard line"));
        QCOMPARE(platform.shown[0].style, MB_OK | MB_ICONEXCLAMATION);
    }

    void closingAsksToSave() {
        WriteAll(Path("ask.cir"), "a\r\n");
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("ask.cir")));
        QSignalSpy closing(&manager, &CDocManager::documentClosing);
        QVERIFY(manager.CloseDocument(doc)); // unmodified: no question
        QVERIFY(platform.shown.empty());
        QCOMPARE(closing.count(), 1);

        doc = manager.OpenDocumentFile(Name(Path("ask.cir")));
        doc->GetStore()->Edit({0, 0}, kInsertChar, "x");
        platform.answers = {IDCANCEL};
        QVERIFY(!manager.CloseDocument(doc));
        QCOMPARE(platform.shown.back().text, QString("Save changes to ask.cir?"));
        QCOMPARE(platform.shown.back().style, MB_YESNOCANCEL | MB_ICONQUESTION);
        QCOMPARE(manager.CountDocuments(), 1);
        platform.answers = {IDNO};
        QVERIFY(manager.SaveAllModified());
        QCOMPARE(ReadAll(Path("ask.cir")), QByteArray("a\r\n"));
        platform.answers = {IDYES};
        QVERIFY(manager.CloseDocument(doc));
        QCOMPARE(ReadAll(Path("ask.cir")), QByteArray("xa\r\n"));
        QCOMPARE(manager.CountDocuments(), 0);
    }
};

QTEST_MAIN(DocumentTest)
#include "tst_document.moc"
