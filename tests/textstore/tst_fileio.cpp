#include <cstdio>
#include <optional>
#include <random>
#include <string_view>

#include <QTemporaryDir>

#include "PosixFile.h"
#include "StoreTestKit.h"

namespace {

const std::string kWarning = "This file does not use standard line terminations.\n"
                             "If you save it, terminations will be modified!";

// The bytes a read-then-write must give: every line end (CR LF, CR, LF, or a NUL) becomes
// CR LF, a NUL right after a line break vanishes, and the last line always gets CR LF.
// LF CR counts as two line ends.
std::string ExpectedRoundTrip(const std::string& in) {
    std::vector<std::string> lines;
    std::string current;
    std::size_t i = 0;
    bool endedWithBreak = false;
    while (i < in.size()) {
        const char c = in[i];
        if (c == '\r' || c == '\n' || c == '\0') {
            lines.push_back(current);
            current.clear();
            ++i;
            if (c == '\r' && i < in.size() && in[i] == '\n')
                ++i;
            if (c != '\0' && i < in.size() && in[i] == '\0')
                ++i;
            endedWithBreak = true;
        } else {
            current += c;
            ++i;
            endedWithBreak = false;
        }
    }
    if (!endedWithBreak || lines.empty())
        lines.push_back(current);
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace

class FileIoTest : public QObject {
    Q_OBJECT
private slots:
    void readAndWrite_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<Strings>("lines");
        QTest::addColumn<bool>("warns");
        QTest::addColumn<std::string>("written");
        using S = std::string;
        QTest::newRow("empty") << S() << Strings{""} << false << S("\r\n");
        QTest::newRow("no break") << S("abc") << Strings{"abc"} << true << S("abc\r\n");
        QTest::newRow("one CR LF") << S("abc\r\n") << Strings{"abc"} << false << S("abc\r\n");
        QTest::newRow("empty last line")
            << S("abc\r\n\r\n") << Strings{"abc", ""} << false << S("abc\r\n\r\n");
        QTest::newRow("last without break")
            << S("a\r\nb") << Strings{"a", "b"} << false << S("a\r\nb\r\n");
        QTest::newRow("CR only") << S("a\rb\rc\r") << Strings{"a", "b", "c"} << true
                                 << S("a\r\nb\r\nc\r\n");
        QTest::newRow("LF only") << S("a\nb\n\nc") << Strings{"a", "b", "", "c"} << true
                                 << S("a\r\nb\r\n\r\nc\r\n");
        QTest::newRow("later lone LF")
            << S("a\r\nb\nc\r\n") << Strings{"a", "b", "c"} << true << S("a\r\nb\r\nc\r\n");
        QTest::newRow("later lone CR")
            << S("a\r\nb\rc") << Strings{"a", "b", "c"} << true << S("a\r\nb\r\nc\r\n");
        QTest::newRow("NUL in a line")
            << S("ab\0cd\r\n", 7) << Strings{"ab", "cd"} << true << S("ab\r\ncd\r\n");
        QTest::newRow("NUL after a break")
            << S("ab\r\n\0cd\r\n", 9) << Strings{"ab", "cd"} << true << S("ab\r\ncd\r\n");
        QTest::newRow("LF CR") << S("a\r\nb\n\rc\r\n") << Strings{"a", "b", "", "c"} << true
                               << S("a\r\nb\r\n\r\nc\r\n");
        QTest::newRow("LF first, later CR LF")
            << S("a\nb\r\nc") << Strings{"a", "b", "c"} << true << S("a\r\nb\r\nc\r\n");
        QTest::newRow("high bytes and tabs")
            << S("\t\xe9\xff\x80 x\r\n") << Strings{"\t\xe9\xff\x80 x"} << false
            << S("\t\xe9\xff\x80 x\r\n");
    }

    void readAndWrite() {
        QFETCH(std::string, bytes);
        QFETCH(Strings, lines);
        QFETCH(bool, warns);
        QFETCH(std::string, written);
        StoreFixture f(bytes);
        QCOMPARE(Lines(*f), lines);
        QCOMPARE(int(f.doc.messages.size()), warns ? 1 : 0);
        if (warns) {
            QCOMPARE(f.doc.messages[0].text, kWarning);
            QCOMPARE(f.doc.messages[0].icon, StoreIcon::Exclamation);
        }
        QCOMPARE(Written(*f), written);
        QCOMPARE(ExpectedRoundTrip(bytes), written);
        CheckInvariants(*f);
        for (const LineRecord* line = f->FirstLine(); line != nullptr; line = line->next)
            QCOMPARE(int(line->borrowed), 1);
    }

    void lfFileTurnsOnlyLoneLfIntoCr() {
        StoreFixture f(std::string("a\nb\r\nc"));
        const LineRecord* first = f->FirstLine();
        QCOMPARE(first->text[1], '\r');
        QCOMPARE(std::string(f->FileBuffer(), 6), std::string("a\rb\r\nc"));
    }

    // Every mix of line ends, NULs and high bytes reads and writes as the rules say.
    void generatedFilesRoundTrip() {
        std::mt19937 random(2024);
        const char alphabet[] = {'a', 'Z', '\t', ' ', '\r', '\n', '\0', '\xe9', '\x80', '\xff'};
        for (int round = 0; round < 3000; ++round) {
            const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 40)(random);
            std::string bytes;
            for (std::size_t i = 0; i < size; ++i)
                bytes += alphabet[std::uniform_int_distribution<int>(0, 9)(random)];
            StoreFixture f(bytes);
            const std::string written = Written(*f);
            if (written != ExpectedRoundTrip(bytes))
                QFAIL(qPrintable("round trip differs for " +
                                 QByteArray::fromStdString(bytes).toHex()));
            // Only files whose bytes survive unchanged go without the warning, apart from a
            // last line (not the first) that gains its line break.
            const bool unchanged = written == bytes || (written == bytes + "\r\n" &&
                                                        bytes.find("\r\n") != std::string::npos);
            QCOMPARE(f.doc.messages.empty(), bytes.empty() || unchanged);
            CheckInvariants(*f);

            // The shape of the text as read is its lines' own, until the first edit. A tab
            // after a NUL belongs to no line but may be seen: that costs a view only a walk.
            const std::optional<TextStore::ReadShape> shape = f->ShapeAsRead();
            QVERIFY(shape.has_value());
            std::int32_t longest = 0;
            bool tabs = false;
            for (const LineRecord* line = f->FirstLine(); line != nullptr; line = line->next) {
                longest = std::max(longest, line->length);
                tabs = tabs || std::string_view(line->text, std::size_t(line->length))
                                       .find('\t') != std::string_view::npos;
            }
            QCOMPARE(shape->longestLine, longest);
            QVERIFY(shape->tabs || !tabs);
            if (round % 16 == 0) {
                f.Insert({0, 0}, "x");
                QVERIFY(!f->ShapeAsRead().has_value());
            }
        }
    }

    void realFileRoundTripsAndWriteErrorsThrow() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("amp.cir").toStdString();
        const std::string text = "* amp\r\nR1 1 2 10k\r\n.end";
        {
            CPosixFile file(path, CPosixFile::modeWrite);
            file.Write(text.data(), text.size());
            file.Close();
        }
        FakeStoreDocument doc;
        TextStore store(&doc);
        {
            CPosixFile file(path, CPosixFile::modeRead);
            CArchive archive(&file, CArchive::load);
            QVERIFY(store.Serialize(archive));
        }
        {
            CPosixFile file(path, CPosixFile::modeWrite);
            CArchive archive(&file, CArchive::store);
            QVERIFY(store.Serialize(archive));
            archive.Close();
            file.Close();
        }
        std::FILE* in = std::fopen(path.c_str(), "rb");
        char back[64] = {};
        const std::size_t got = std::fread(back, 1, sizeof back, in);
        std::fclose(in);
        QCOMPARE(std::string(back, got), text + "\r\n");

        QVERIFY_THROWS_EXCEPTION(CFileException,
                                 CPosixFile(dir.path().toStdString(), CPosixFile::modeRead));
        QVERIFY_THROWS_EXCEPTION(CFileException,
                                 CPosixFile(path + "/nested", CPosixFile::modeWrite));
        QVERIFY_THROWS_EXCEPTION(CFileException, CPosixFile("/dev/zero", CPosixFile::modeRead));
    }

    void fileTooLargeForMemoryFailsTheRead() {
        // A file that claims more bytes than memory can hold.
        struct HugeFile : CMemFile {
            std::int64_t GetLength() override { return std::int64_t(1) << 52; }
        } huge;
        FakeStoreDocument doc;
        TextStore store(&doc);
        CArchive archive(&huge, CArchive::load);
        QVERIFY(!store.ReadText(archive));
        QCOMPARE(store.LineCount(), 0);
        QCOMPARE(store.FirstLine(), nullptr);
        QCOMPARE(int(doc.messages.size()), 1);
        QCOMPARE(
            doc.messages[0].text,
            std::string("Not enough memory!\n4503599627370499 byte block required to read file."));
        QCOMPARE(doc.messages[0].icon, StoreIcon::Stop);
    }
};

QTEST_APPLESS_MAIN(FileIoTest)
#include "tst_fileio.moc"
