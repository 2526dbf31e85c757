#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
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
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Sets the file's modification time: seconds since the epoch and nanoseconds.
void SetFileTime(const QString& path, long long seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

QByteArray Text(const CKelvoDoc& doc) {
    const TextStore* store = doc.GetStore();
    return QByteArray::fromStdString(
        store->GetText({0, 0}, {store->LineCount() - 1, store->LastLine()->length}, true));
}

bool Checked(CKelvoDoc* doc) {
    CommandUpdate update(ID_OPTIONS_READ_ONLY);
    doc->OnUpdateCommand(update);
    return update.checked.value_or(false);
}

constexpr char kChangedReload[] =
    "This file has been changed by another process.\nDo you want to reload it?\n\n%1";

} // namespace

class ReadOnlyTest : public QObject {
    Q_OBJECT
    ScriptedPlatform platform;
    CFileLists lists;
    std::unique_ptr<QTemporaryDir> dir;

    QString Path(const QString& name) const { return dir->filePath(name); }
    static FileName Name(const QString& text) { return FileName::FromText(text); }

    CKelvoDoc* Open(CDocManager& manager, const QString& name, const QByteArray& bytes) {
        WriteAll(Path(name), bytes);
        return manager.OpenDocumentFile(Name(Path(name)));
    }

private slots:
    // Each test in a folder of its own: some leave read-only files behind.
    void init() {
        platform = ScriptedPlatform();
        dir = std::make_unique<QTemporaryDir>();
    }

    void eachMarkSaysWhyWithItsIconAndBeep_data() {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::newRow("disk") << "disk"
                              << "This file is READ ONLY!\nIf you want to edit it, first close the "
                                 "file.\nThen use the file manager to uncheck the read only "
                                 "property.\n\n%1"
                              << int(MB_OK | MB_ICONHAND);
        QTest::newRow("user") << "user"
                              << "File is set to READ ONLY in the Options Menu!\nAre you sure you "
                                 "want to edit it?\n\n%1"
                              << int(MB_YESNO | MB_ICONQUESTION);
        QTest::newRow("output") << "output"
                                << "Output files are automatically set to READ ONLY!\nAre you sure "
                                   "you want to edit it?\n\n%1"
                                << int(MB_YESNO | MB_ICONQUESTION);
    }

    // A refused edit changes nothing; only the two marks a user may lift are asked about.
    void eachMarkSaysWhyWithItsIconAndBeep() {
        QFETCH(QString, mark);
        QFETCH(QString, text);
        QFETCH(int, style);
        CDocManager manager(&platform, &lists);
        const QString name = mark == "output" ? "amp.out" : "amp.cir";
        WriteAll(Path(name), "R1 1 2 1k\r\n");
        if (mark == "disk")
            QFile::setPermissions(Path(name), QFile::ReadOwner | QFile::ReadGroup);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path(name)));
        QVERIFY(doc != nullptr);
        if (mark == "user")
            doc->OnReadOnlyStatus();
        QVERIFY(doc->IsReadOnly());

        platform.answers = {IDNO};
        QCOMPARE(doc->GetStore()->Edit({0, 0}, kInsertChar, "x"), (TextPos{0, 0}));
        QCOMPARE(Text(*doc), QByteArray("R1 1 2 1k"));
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, text.arg(Path(name)));
        QCOMPARE(platform.shown[0].style, style);
        QVERIFY(!doc->IsModified());

        // Yes lifts the mark for good: the next edits ask nothing. The disk's mark stays.
        platform.answers = {IDYES};
        doc->GetStore()->Edit({0, 0}, kInsertChar, "x");
        doc->GetStore()->Edit({0, 1}, kInsertChar, "y");
        QCOMPARE(Text(*doc), mark == "disk" ? QByteArray("R1 1 2 1k") : QByteArray("xyR1 1 2 1k"));
        QCOMPARE(platform.shown.size(), std::size_t(mark == "disk" ? 3 : 2));
        QCOMPARE(doc->IsReadOnly(), mark == "disk");
        QVERIFY(!Checked(doc));
    }

    // Read Only Status on an output file asks to lift its mark; after that it toggles the
    // user's own mark, which the next edit asks about.
    void readOnlyStatusOnAnOutputFile() {
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = Open(manager, "run.out", "v(1)\r\n");
        QVERIFY(doc->IsOutputReadOnly());
        QVERIFY(Checked(doc));
        doc->OnReadOnlyStatus(); // output set, user clear: asks about the output mark
        QVERIFY(platform.shown.back().text.startsWith("Output files"));
        QVERIFY(!doc->IsOutputReadOnly()); // unscripted: Yes
        QVERIFY(!Checked(doc));
        doc->OnReadOnlyStatus();
        QVERIFY(doc->IsUserReadOnly());
        QVERIFY(Checked(doc));

        const std::size_t asked = platform.shown.size();
        doc->OnReadOnlyStatus(); // off again, without a question
        QVERIFY(!doc->IsReadOnly());
        QCOMPARE(platform.shown.size(), asked);

        // No keeps an output file's mark.
        CKelvoDoc* kept = Open(manager, "two.out", "v(2)\r\n");
        platform.answers = {IDNO};
        kept->OnReadOnlyStatus();
        QVERIFY(kept->IsOutputReadOnly() && !kept->IsUserReadOnly());
        QVERIFY(Checked(kept));
    }

    // Every kind of edit asks first, and a refusal leaves the text byte for byte.
    void refusedEditsOfEveryKindChangeNothing() {
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = Open(manager, "amp.cir", "R1 1 2 1k\r\nC1 2 0 1p\r\n");
        TextStore* store = doc->GetStore();
        store->Edit({0, 9}, kInsertChar, "0");
        store->Edit({1, 0}, kDeleteBlock, "", {1, 3});
        store->Undo(); // one step to undo and one to redo
        const QByteArray before = Text(*doc);
        doc->OnReadOnlyStatus();
        const int beeps = platform.beeps;
        platform.answers = std::deque<int>(8, IDNO);
        store->Edit({0, 0}, kInsertChar, "x");
        store->Edit({0, 0}, kOvertypeChar, "x");
        store->Edit({0, 2}, kDeleteBefore, "");
        store->Edit({0, 0}, kDeleteAt, "");
        store->Edit({0, 0}, kDeleteBlock, "", {1, 2});
        store->Edit({0, 0}, kInsertText, "pasted\r\nlines");
        QVERIFY(!store->Undo().value_or(UndoStep{}).done);
        QVERIFY(!store->Redo().value_or(UndoStep{}).done);
        QCOMPARE(platform.answers.size(), std::size_t(0)); // each one asked
        QCOMPARE(Text(*doc), before);
        QVERIFY(store->CanUndo() && store->CanRedo());
        QCOMPARE(platform.beeps - beeps, 8);
    }

    void changedFilesAreOfferedForReload_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sameSecond");
        QTest::newRow("same size, same minute") << QByteArray("R1 1 2 2k\r\n") << true;
        QTest::newRow("larger") << QByteArray("R1 1 2 1k\r\nR2 2 0 5k\r\n") << false;
        QTest::newRow("smaller") << QByteArray("R1\r\n") << false;
    }

    // Another program's write is a change, however little moves: the time to the
    // nanosecond and the size decide, not the time as shown to the minute.
    void changedFilesAreOfferedForReload() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sameSecond);
        CDocManager manager(&platform, &lists);
        WriteAll(Path("amp.cir"), "R1 1 2 1k\r\n");
        SetFileTime(Path("amp.cir"), 1'700'000'000, 100);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("amp.cir")));
        doc->GetStore()->Edit({0, 0}, kInsertChar, "*");
        const QString shownTime = doc->GetFileTime();

        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(0)); // nothing changed yet

        WriteAll(Path("amp.cir"), bytes);
        SetFileTime(Path("amp.cir"), sameSecond ? 1'700'000'000 : 1'700'000'030, 900);
        platform.answers = {IDNO};
        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(1));
        QCOMPARE(platform.shown[0].text, QString(kChangedReload).arg(Path("amp.cir")));
        QCOMPARE(platform.shown[0].style, int(MB_YESNO | MB_ICONQUESTION));
        QCOMPARE(platform.beeps, 0);
        QCOMPARE(Text(*doc), QByteArray("*R1 1 2 1k")); // No: the text stays

        // No asks again next time; Yes reads the file, unmodified, with no history.
        platform.answers = {IDYES};
        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(2));
        QCOMPARE(Text(*doc) + "\r\n", bytes);
        QVERIFY(!doc->IsModified());
        QVERIFY(!doc->CanUndo() && !doc->CanRedo());
        if (sameSecond)
            QCOMPARE(doc->GetFileTime(), shownTime);
        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(2)); // read: nothing to ask
    }

    // A file that went, an untitled document, or a reload that fails: the text stays.
    void unreadableFilesKeepTheText() {
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = Open(manager, "amp.cir", "R1 1 2 1k\r\n");
        QVERIFY(QFile::remove(Path("amp.cir")));
        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(0));

        CKelvoDoc* untitled = manager.OpenNewDocument();
        untitled->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(0));

        // A folder now stands where the file was: asked about, and Yes fails to read it.
        QVERIFY(QDir().mkdir(Path("amp.cir")));
        const TextStore* store = doc->GetStore();
        doc->CheckExternalChange();
        QCOMPARE(platform.shown.size(), std::size_t(2));
        QCOMPARE(platform.shown[1].text, QString(kFailedToOpen));
        QCOMPARE(doc->GetStore(), store);
        QCOMPARE(Text(*doc), QByteArray("R1 1 2 1k"));
    }

    // A file whose read-only bit was taken off outside is writable once read again.
    void reloadTakesTheFilesReadOnlyState() {
        CDocManager manager(&platform, &lists);
        WriteAll(Path("amp.cir"), "R1 1 2 1k\r\n");
        QFile::setPermissions(Path("amp.cir"), QFile::ReadOwner);
        CKelvoDoc* doc = manager.OpenDocumentFile(Name(Path("amp.cir")));
        QVERIFY(doc->IsDiskReadOnly());
        QFile::setPermissions(Path("amp.cir"), QFile::ReadOwner | QFile::WriteOwner);
        WriteAll(Path("amp.cir"), "R1 1 2 1k\r\nR2 2 0 1k\r\n");
        doc->CheckExternalChange();
        QVERIFY(!doc->IsDiskReadOnly());
        QCOMPARE(doc->GetStore()->LineCount(), 2);
    }

    // A save over a file that another program changed since it was read asks first; No
    // leaves both the file and the document as they are.
    void savingOverAChangedFileAsks() {
        CDocManager manager(&platform, &lists);
        CKelvoDoc* doc = Open(manager, "amp.cir", "R1 1 2 1k\r\n");
        doc->GetStore()->Edit({0, 0}, kInsertChar, "*");
        WriteAll(Path("amp.cir"), "theirs\r\n");
        SetFileTime(Path("amp.cir"), 1'800'000'000, 0);
        platform.answers = {IDNO};
        QVERIFY(!manager.DoFileSave(doc));
        QCOMPARE(platform.shown.back().text,
                 QString("This file has been changed by another process.\nDo you want to "
                         "overwrite it?\n\n%1")
                     .arg(Path("amp.cir")));
        QCOMPARE(platform.shown.back().style, int(MB_YESNO | MB_ICONQUESTION));
        QCOMPARE(ReadAll(Path("amp.cir")), QByteArray("theirs\r\n"));
        QVERIFY(doc->IsModified());

        platform.answers = {IDYES};
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(ReadAll(Path("amp.cir")), QByteArray("*R1 1 2 1k\r\n"));
        // Saved: the file is the document's again, and the next save asks nothing.
        const std::size_t asked = platform.shown.size();
        doc->GetStore()->Edit({0, 0}, kInsertChar, "+");
        QVERIFY(manager.DoFileSave(doc));
        QCOMPARE(platform.shown.size(), asked);
        // Save As onto another name asks nothing either.
        platform.saveNames = {Path("copy.cir")};
        doc->GetStore()->Edit({0, 0}, kInsertChar, "-");
        QVERIFY(manager.DoSave(doc));
        QCOMPARE(platform.shown.size(), asked);
    }
};

QTEST_MAIN(ReadOnlyTest)
#include "tst_readonly.moc"
