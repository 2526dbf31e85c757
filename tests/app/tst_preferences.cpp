#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QtEndian>

#include "AppTestKit.h"
#include "CommandIds.h"
#include "KelvoVersion.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

QByteArray Placement(std::uint32_t show, QRect normal) {
    WindowPlacement placement;
    placement.showCmd = show;
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return placement.ToBytes();
}

QByteArray Bars(bool toolbar, bool statusBar) {
    QByteArray bytes(8, '\0');
    qToLittleEndian<std::uint32_t>(toolbar ? 1 : 0, bytes.data());
    qToLittleEndian<std::uint32_t>(statusBar ? 1 : 0, bytes.data() + 4);
    return bytes;
}

const QByteArray kTag("kelvo 2-22-95\0", 14);

} // namespace

// "kelvo.prf": its bytes, where it is read and written, and what start-up makes of it.
class PreferencesTest : public AppTestKit {
    Q_OBJECT

    QString PreferenceFile() { return TextPath("prefs/kelvo.prf"); }
    // Where an installed program finds its default file: share/kelvo/ beside its bin/.
    static QString InstalledDefault() {
        return QDir::cleanPath(QCoreApplication::applicationDirPath() + '/' +
                               kKelvoDataFromProgram + "kelvo.prf");
    }

private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    // Without a view the file is 66 bytes; with one, 126, its last 60 the view's font; then
    // the 12 bytes of Syntax Colours, which the last version's reader leaves alone: it reads
    // nothing after a font, and 12 bytes are too few to be taken for one.
    void savedFileHasTheLayout() {
        CKelvoApp& kelvo = Start({});
        CMainFrame* frame = kelvo.MainFrame();
        frame->setGeometry(40, 50, 700, 500);
        frame->ToolBar()->hide();
        kelvo.DocManager()->CloseAllDocuments();
        QVERIFY(frame->RouteCommand(ID_OPTIONS_SAVE_PREFERENCES));
        QByteArray bytes = ReadAll(PreferenceFile());
        QCOMPARE(bytes.size(), 66 + 12);
        QCOMPARE(bytes.mid(66), QByteArray("colours\0\1\0\0\0", 12));
        QCOMPARE(bytes.left(14), kTag);
        QCOMPARE(bytes.mid(14, 44), Placement(WindowPlacement::kShowNormal, {40, 50, 700, 500}));
        QCOMPARE(bytes.mid(58, 8), Bars(false, true));

        kelvo.OnFileNew();
        LogFont font = LogFont::Default();
        font.height = -21;
        font.SetFaceName("DejaVu Sans Mono");
        platform.fontAnswers = {ScriptedPlatform::FontAnswer{font, Qt::black}};
        frame->ActiveView()->OnOptionsFont();
        QVERIFY(frame->RouteCommand(ID_OPTIONS_SYNTAX_COLOURS));
        QVERIFY(frame->RouteCommand(ID_OPTIONS_SAVE_PREFERENCES));
        bytes = ReadAll(PreferenceFile());
        QCOMPARE(bytes.size(), 126 + 12);
        QCOMPARE(bytes.mid(66, 60), font.ToBytes());
        QCOMPARE(bytes.mid(126), QByteArray("colours\0\0\0\0\0", 12));
        const std::optional<Preferences> read = Preferences::FromBytes(bytes);
        QVERIFY(read && read->font && read->syntaxColours == false);
        QVERIFY(platform.shown.empty());
    }

    // A file written by the program and read back gives the same window, bars and font.
    void savedPreferencesComeBackAtStart() {
        {
            CKelvoApp& kelvo = Start({});
            kelvo.MainFrame()->setGeometry(30, 40, 640, 480);
            kelvo.MainFrame()->StatusBar()->hide();
            LogFont font = LogFont::Default();
            font.height = -17;
            platform.fontAnswers = {ScriptedPlatform::FontAnswer{font, Qt::black}};
            kelvo.MainFrame()->ActiveView()->OnOptionsFont();
            kelvo.OnSavePreferences();
        }
        const QByteArray saved = ReadAll(PreferenceFile());
        TearDown();
        SetUp();
        Write("prefs/kelvo.prf", saved);
        CKelvoApp& kelvo = Start({});
        QCOMPARE(kelvo.MainFrame()->geometry(), QRect(30, 40, 640, 480));
        QVERIFY(kelvo.MainFrame()->StatusBar()->isHidden());
        QVERIFY(!kelvo.MainFrame()->ToolBar()->isHidden());
        QCOMPARE(kelvo.m_lfDefault.height, -17);
        QCOMPARE(kelvo.MainFrame()->ActiveView()->GetLogFont().height, -17);
        QVERIFY(platform.shown.empty());
    }

    void maximizedWindowKeepsItsNormalPlace() {
        Write("prefs/kelvo.prf",
              kTag + Placement(WindowPlacement::kShowMaximized, {60, 70, 500, 400}) +
                  Bars(true, true));
        CKelvoApp& kelvo = Start({});
        QVERIFY(kelvo.MainFrame()->windowState() & Qt::WindowMaximized);
        const WindowPlacement back = WindowPlacement::Of(*kelvo.MainFrame());
        QCOMPARE(back.showCmd, WindowPlacement::kShowMaximized);
    }

    // Missing and foreign files: the message names the last path tried; defaults stay.
    void missingOrForeignFilesSaySo_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("none") << QByteArray() << "Unable to open preference file:\n";
        QTest::newRow("tag without its NUL")
            << QByteArray("kelvo 2-22-95x") + Placement(1, {0, 0, 100, 100}) + Bars(false, false)
            << "Incorrect preference file version:\n";
        QTest::newRow("another version")
            << QByteArray("kelvo 1-01-90") + QByteArray(1, '\0') + Bars(false, false)
            << "Incorrect preference file version:\n";
    }
    void missingOrForeignFilesSaySo() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        // Neither the preference folder nor the program's folder holds a file, or the
        // preference folder holds this one.
        QVERIFY(QFile::remove(PreferenceFile()));
        if (!bytes.isEmpty())
            Write("prefs/kelvo.prf", bytes);
        CKelvoApp& kelvo = Start({});
        QCOMPARE(platform.shown.size(), std::size_t(1));
        const QString path = bytes.isEmpty() ? InstalledDefault() : PreferenceFile();
        QCOMPARE(platform.shown[0].text, message + path);
        QCOMPARE(platform.shown[0].style, int(MB_OK));
        QVERIFY(!kelvo.MainFrame()->ToolBar()->isHidden());
        QCOMPARE(kelvo.m_lfDefault, LogFont::Default());
    }

    // A KVDIR folder without the file falls back, silently, to the program's folder (the
    // build's default) and then to the data folder of an install.
    void kvdirWithoutTheFileFallsBackToTheDefaults_data() {
        QTest::addColumn<QString>("shipped");
        QTest::newRow("program's folder") << QCoreApplication::applicationDirPath() + "/kelvo.prf";
        QTest::newRow("installed data folder") << InstalledDefault();
    }
    void kvdirWithoutTheFileFallsBackToTheDefaults() {
        QFETCH(QString, shipped);
        QVERIFY(QFile::remove(PreferenceFile()));
        QVERIFY(!QFile::exists(shipped));
        QVERIFY(QDir().mkpath(QFileInfo(shipped).path()));
        Preferences beside;
        beside.toolbarVisible = false;
        {
            QFile file(shipped);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(beside.ToBytes());
        }
        CKelvoApp& kelvo = Start({});
        QFile::remove(shipped);
        QVERIFY(platform.shown.empty());
        QVERIFY(kelvo.MainFrame()->ToolBar()->isHidden());
    }

    // Read as far as its parts are whole, and checked before it is applied.
    void shortOrUnsoundFilesApplyWhatIsSound() {
        // Ends inside the bars: the placement and the toolbar apply, the rest stays.
        Write("prefs/kelvo.prf",
              kTag + Placement(1, {20, 30, 420, 330}) + Bars(false, false).left(6));
        {
            CKelvoApp& kelvo = Start({});
            QCOMPARE(kelvo.MainFrame()->geometry(), QRect(20, 30, 420, 330));
            QVERIFY(kelvo.MainFrame()->ToolBar()->isHidden());
            QVERIFY(!kelvo.MainFrame()->StatusBar()->isHidden());
            QVERIFY(platform.shown.empty());
        }
        TearDown();
        SetUp();

        // A font 4000 pixels high, a face name without its NUL, a window far off every
        // screen: the font is dropped, the window brought onto the screen.
        LogFont huge = LogFont::Default();
        huge.height = -4000;
        Write("prefs/kelvo.prf",
              kTag + Placement(1, {90000, 90000, 400, 300}) + Bars(true, true) + huge.ToBytes());
        {
            CKelvoApp& kelvo = Start({});
            QCOMPARE(kelvo.m_lfDefault, LogFont::Default());
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY(screen.intersects(kelvo.MainFrame()->geometry()));
            QCOMPARE(kelvo.MainFrame()->geometry().size(), QSize(400, 300));
        }

        Preferences named;
        named.font = LogFont::Default();
        QByteArray bytes = named.ToBytes();
        bytes.replace(66 + 28, 32, QByteArray(32, 'W')); // all 32 bytes, no NUL: read within them
        const auto read = Preferences::FromBytes(bytes);
        QVERIFY(read && read->font);
        QCOMPARE(read->font->FaceName(), QString(31, 'W')); // the last byte ends the name

        // No size: the platform's own size stays.
        Preferences flat;
        flat.placement = WindowPlacement{};
        flat.placement->left = 100;
        flat.placement->right = 100;
        flat.placement->bottom = 50;
        flat.MakeSafe({QRect(0, 0, 1280, 1024)});
        QVERIFY(!flat.placement->Normal().isValid());
    }

    // Whatever placement the file holds, the window lands inside the free area of one
    // screen: the one it covers most, else the nearest. Screens: 1280x1024 with a 24-pixel
    // panel below, and 1920x1080 to its right.
    void placementIsClampedToTheScreen_data() {
        QTest::addColumn<QList<int>>("edges"); // left, top, right, bottom as the file has them
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("oneScreen");
        const int most = INT32_MAX;
        const int least = INT32_MIN;
        QTest::newRow("fits") << QList{100, 100, 500, 400} << QRect(100, 100, 400, 300) << false;
        QTest::newRow("the whole 32-bit range")
            << QList{0, 0, most, most} << QRect(0, 0, 1280, 1000) << true;
        QTest::newRow("from the least to the most")
            << QList{least, least, most, most} << QRect(1280, 0, 1920, 1080) << false;
        QTest::newRow("at the far end")
            << QList{most - 10, most - 10, most, most} << QRect(1270, 990, 10, 10) << true;
        QTest::newRow("wider than the screen")
            << QList{-50, 10, 2000, 500} << QRect(0, 10, 1280, 490) << true;
        QTest::newRow("over the panel")
            << QList{1000, 800, 1600, 1200} << QRect(680, 600, 600, 400) << true;
        QTest::newRow("mostly on the second screen")
            << QList{1200, 100, 2000, 700} << QRect(1280, 100, 800, 600) << false;
        QTest::newRow("off every screen, nearer the second")
            << QList{5000, 5000, 5400, 5300} << QRect(2800, 780, 400, 300) << false;
        QTest::newRow("far to the left and above")
            << QList{least, least, least + 200, least + 100} << QRect(0, 0, 200, 100) << false;
    }

    void placementIsClampedToTheScreen() {
        QFETCH(QList<int>, edges);
        QFETCH(QRect, expected);
        QFETCH(bool, oneScreen);
        QList<QRect> screens{QRect(0, 0, 1280, 1000)};
        if (!oneScreen)
            screens << QRect(1280, 0, 1920, 1080);
        Preferences read;
        read.placement = WindowPlacement{};
        read.placement->left = edges[0];
        read.placement->top = edges[1];
        read.placement->right = edges[2];
        read.placement->bottom = edges[3];
        read.MakeSafe(screens);
        QCOMPARE(read.placement->Normal(), expected);
    }

    // KVDIR names the folder; without it the per-user configuration folder, made when
    // missing. A KVDIR without the file falls back to the program's folder.
    void preferenceFolderFollowsKvdir() {
        QCOMPARE(PreferenceDirectory(), Path("prefs") + "/");
        qunsetenv("KVDIR");
        qputenv("XDG_CONFIG_HOME", Path("config").Bytes());
        QCOMPARE(PreferenceDirectory(), Path("config") + "/kelvo/");
        CKelvoApp& kelvo = Start({});
        kelvo.OnSavePreferences();
        QCOMPARE(ReadAll(TextPath("config/kelvo/kelvo.prf")).size(), 126 + 12);
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(PreferencesTest)
#include "tst_preferences.moc"
