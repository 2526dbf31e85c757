// Copy's promise on the clipboard: the text it gives in every form against the store's own
// GetText, the copy it takes before the document changes or goes, and pasted text from
// elsewhere taken as UTF-8 against the same text taken through Qt's string.

#include <functional>
#include <random>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ClipboardPromise.h"
#include "CommandIds.h"
#include "ViewFixture.h"
#include "Windows1252.h"

namespace {

const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

// Lines of letters, blanks, tabs and every byte from 0x80 up; some empty.
QByteArray RandomText(std::mt19937& random) {
    QByteArray text;
    const int lines = 1 + int(random() % 12);
    for (int i = 0; i < lines; ++i) {
        const int length = random() % 4 == 0 ? 0 : int(random() % 40);
        for (int j = 0; j < length; ++j) {
            const unsigned pick = random() % 8;
            text += pick < 4   ? char('a' + random() % 26)
                    : pick < 6 ? char(0x80 + random() % 0x80)
                    : pick < 7 ? ' '
                               : '\t';
        }
        text += "\r\n";
    }
    return text;
}

TextPos AnyPos(const TextStore& store, std::mt19937& random) {
    const auto line = std::int32_t(random() % unsigned(store.LineCount()));
    return {line, std::int32_t(random() % unsigned(store.LineAt(line)->length + 1))};
}

// EncodeText's rule stated the other way round: a character becomes the byte that shows
// it, or '?' when no byte does.
std::string ByteThatShows(const QString& text, bool* lossy) {
    std::string bytes;
    *lossy = false;
    for (const char32_t u : text.toUcs4()) {
        int found = -1;
        for (int b = 0; b < 256 && found < 0; ++b)
            found = char32_t(CharOfByte(static_cast<unsigned char>(b)).unicode()) == u ? b : -1;
        *lossy = *lossy || found < 0;
        bytes += found < 0 ? '?' : char(found);
    }
    return bytes;
}

// Pieces of would-be UTF-8: ASCII, characters of two, three and four bytes that the table
// holds or not, and sequences that are not UTF-8 at all.
QByteArray RandomUtf8(std::mt19937& random) {
    static const char* const kPieces[] = {
        "a", "Z", " ", "\r\n", "\n", "\t", "\xc3\xa9", "\xe2\x82\xac", "\xc2\x81", "\xc2\x80",
        "\xc5\xbe", "\xe4\xb8\xad", "\xf0\x9f\x98\x80", "\xef\xbf\xbe", "\xef\xbf\xbd", "\xc2\xa0",
        "\xc3\xbf",
        // not UTF-8: a lone continuation, overlong forms, a surrogate's code, past U+10FFFF,
        // a cut sequence, bytes that never occur
        "\x80", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82", "\xff",
        "\xf5\x80\x80\x80"};
    QByteArray text;
    if (random() % 10 == 0)
        text += "\xef\xbb\xbf";
    const int pieces = int(random() % 30);
    for (int i = 0; i < pieces; ++i) {
        const std::size_t count = std::size(kPieces);
        // Mostly valid text, so that most runs take the fast way to its end.
        const std::size_t pick = random() % 8 == 0 ? random() % count : random() % 17;
        text += kPieces[pick];
        if (random() % 12 == 0)
            text += '\0';
    }
    return text;
}

} // namespace

// What changes the copied document after Copy: the document and its view, either of which
// the step may end.
using ChangeStep = std::function<void(std::unique_ptr<CKelvoDoc>&, std::unique_ptr<CKelvoView>&,
                                      const QString& path)>;
Q_DECLARE_METATYPE(ChangeStep)

class ClipboardPromiseTest : public QObject, ViewFixture {
    Q_OBJECT

private slots:
    // In every form, and before and after its copy is taken, the promise gives what the
    // store's GetText gives for the same positions.
    void promiseGivesWhatGetTextGives() {
        std::mt19937 random(22);
        for (int round = 0; round < 40; ++round) {
            const QByteArray text = RandomText(random);
            auto doc = Document(text);
            QVERIFY(doc != nullptr);
            const TextStore& store = *doc->GetStore();
            for (int pick = 0; pick < 8; ++pick) {
                TextPos start = AnyPos(store, random);
                TextPos end = AnyPos(store, random);
                if (end < start)
                    std::swap(start, end);
                if (start == end)
                    continue;
                const std::string expected = store.GetText(start, end, true);
                const QString decoded = DecodeBytes(expected);
                ClipboardPromise promise(doc.get(), start, end);
                for (const bool taken : {false, true}) {
                    QCOMPARE(promise.HasSnapshot(), taken);
                    QVERIFY(promise.hasText());
                    QCOMPARE(promise.text(), decoded);
                    QCOMPARE(promise.data("text/plain"), decoded.toUtf8());
                    QCOMPARE(promise.data(kUtf8Text), decoded.toUtf8());
                    QCOMPARE(*promise.Bytes(nullptr), expected);
                    QVERIFY(!promise.hasFormat("text/html"));
                    promise.TakeSnapshot();
                }
            }
        }
    }

    void copiedTextOutlivesChangesOfItsDocument_data() {
        QTest::addColumn<ChangeStep>("change");
        QTest::addColumn<bool>("docLives");
        QTest::newRow("a character typed inside the copied text")
            << ChangeStep([](auto& doc, auto&, const QString&) {
                   doc->GetStore()->Edit({1, 2}, kInsertChar, "#");
               })
            << true;
        QTest::newRow("Cut of the copied text")
            << ChangeStep([](auto&, auto& view, const QString&) { view->OnEditCut(); }) << true;
        QTest::newRow("the copied text pasted over itself")
            << ChangeStep([](auto&, auto& view, const QString&) { view->OnEditPaste(); }) << true;
        QTest::newRow("Undo of an edit made before Copy")
            << ChangeStep([](auto&, auto& view, const QString&) { view->OnEditUndo(); }) << true;
        QTest::newRow("the file read again")
            << ChangeStep([](auto& doc, auto&, const QString& path) {
                   QFile file(path);
                   QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                   file.write("other\r\ntext\r\n");
                   file.close();
                   doc->SetPathName(FileName::FromText(path));
                   QVERIFY(doc->Reload());
                   QCOMPARE(Bytes(*doc->GetStore()), QByteArray("other\r\ntext\r\n"));
               })
            << true;
        QTest::newRow("the document closed")
            << ChangeStep([](auto& doc, auto& view, const QString&) {
                   view.reset();
                   doc.reset();
               })
            << false;
    }
    // Copy takes no copy of the text; the change of the document's text, or its end, makes
    // the promise take one first, and the clipboard still gives the text as copied.
    void copiedTextOutlivesChangesOfItsDocument() {
        QFETCH(ChangeStep, change);
        QFETCH(bool, docLives);
        auto doc = Document("R1 in out 10k\r\n\tC1 out 0 1u \x80\xe9\r\n\r\n.end\r\n");
        QVERIFY(doc != nullptr);
        auto view = Show(doc.get());
        doc->GetStore()->Edit({3, 4}, kInsertChar, "s"); // for Undo to take back
        view->SetCaretPosition({0, 3});
        view->ExtendSelection({3, 2});
        QVERIFY(view->OnCommand(ID_EDIT_COPY));
        const std::string copied = "in out 10k\r\n\tC1 out 0 1u \x80\xe9\r\n\r\n.e";
        const QString decoded = DecodeBytes(copied);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto* promise = qobject_cast<const ClipboardPromise*>(clipboard->mimeData());
        QVERIFY(promise != nullptr);
        QVERIFY(!promise->HasSnapshot());

        change(doc, view, dir.filePath("view.cir"));
        // (Cut puts a promise of its own in the first one's place.)
        promise = qobject_cast<const ClipboardPromise*>(clipboard->mimeData());
        QVERIFY(promise != nullptr);
        QVERIFY(promise->HasSnapshot());
        QCOMPARE(clipboard->text(), decoded);
        QCOMPARE(clipboard->mimeData()->data("text/plain"), decoded.toUtf8());
        QCOMPARE(doc != nullptr, docLives);

        // And Paste elsewhere gives the bytes as copied.
        auto other = Document("\r\n");
        auto otherView = Show(other.get());
        otherView->OnEditPaste();
        QCOMPARE(Bytes(*other->GetStore()), QByteArray::fromStdString(copied) + "\r\n");
    }

    // Text from elsewhere offered as UTF-8 is pasted as the same text offered as Qt's string
    // would be; EncodeText of that string follows the table byte for byte.
    void utf8PasteMatchesTheStringPath() {
        std::mt19937 random(1252);
        auto doc = Document("\r\n");
        auto view = Show(doc.get());
        for (int round = 0; round < 400; ++round) {
            const QByteArray utf8 = RandomUtf8(random);
            const QString decoded = QString::fromUtf8(utf8);
            bool modelLossy = false;
            const std::string model = ByteThatShows(decoded, &modelLossy);
            bool lossy = !modelLossy;
            QCOMPARE(EncodeText(decoded, &lossy), model);
            QCOMPARE(lossy, modelLossy);
            lossy = !modelLossy;
            const std::optional<std::string> fast =
                EncodeUtf8(std::string_view(utf8.constData(), std::size_t(utf8.size())), &lossy);
            const bool plainUtf8 = decoded.toUtf8() == utf8 && !utf8.startsWith("\xef\xbb\xbf");
            QCOMPARE(fast.has_value(), plainUtf8);
            if (fast) {
                QCOMPARE(*fast, model);
                QCOMPARE(lossy, modelLossy);
            }
            if (round % 20 != 0)
                continue;
            // Through Paste: once as UTF-8, once as Qt's string; the same text, the same beeps.
            QByteArray pasted[2];
            int beeps[2] = {};
            for (int way = 0; way < 2; ++way) {
                auto* data = new QMimeData;
                if (way == 0)
                    data->setData(kUtf8Text, utf8);
                else
                    data->setText(decoded);
                QGuiApplication::clipboard()->setMimeData(data);
                platform.beeps = 0;
                view->OnEditSelectAll();
                view->OnEditPaste();
                pasted[way] = Bytes(*doc->GetStore());
                beeps[way] = platform.beeps;
            }
            QCOMPARE(pasted[0], pasted[1]);
            QCOMPARE(beeps[0], beeps[1]);
        }
    }
};

QTEST_MAIN(ClipboardPromiseTest)
#include "tst_clipboardpromise.moc"
