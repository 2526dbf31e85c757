// qt_floor: the least a Qt Widgets program does to show a file, with nothing of the editor's
// in it: a main window of four fifths of the screen with a menu bar and a status bar, and a
// widget that paints the file's first lines in the fixed-pitch font. kelvo_launch_bench
// starts it beside the editor, so that its figures show how much of a start-up is Qt's own
// on the machine (loading the libraries, the display connection, the fonts, the first
// paint) and how much is the editor's.
//
//   qt_floor FILE

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QWidget>

namespace {

constexpr qint64 kShownBytes = 64 * 1024;

class FirstPage : public QWidget {
public:
    explicit FirstPage(QStringList lines) : m_lines(std::move(lines)) {
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().base());
        const int step = fontMetrics().lineSpacing();
        int y = fontMetrics().ascent();
        for (const QString& line : m_lines) {
            if (y - step > height())
                break;
            painter.drawText(4, y, line);
            y += step;
        }
    }

private:
    QStringList m_lines;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList lines;
    QString name = QStringLiteral("Untitled");
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (file.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(file.read(kShownBytes)).split('\n');
        name = QFileInfo(file).fileName();
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Qt floor - ") + name);
    for (const char* title : {"&File", "&Edit", "&Search", "&Options", "&Window", "&Help"})
        window.menuBar()->addMenu(QString::fromLatin1(title))->addAction(QStringLiteral("Item"));
    window.setCentralWidget(new FirstPage(lines));
    window.statusBar()->showMessage(QStringLiteral("For Help, press F1"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(screen->availableGeometry().size() * 4 / 5);
    window.show();
    return QApplication::exec();
}
