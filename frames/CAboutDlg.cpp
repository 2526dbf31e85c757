#include "CAboutDlg.h"

#include <cmath>

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "DialogUnits.h"
#include "KelvoVersion.h"

namespace {

constexpr char kNotice[] = "A netlist editor\nfor the SPICE\nsimulation suite.";

// A button that shows its picture at its top-left corner, unscaled, and nothing else.
class PictureButton : public QPushButton {
public:
    PictureButton(QPixmap picture, QWidget* parent)
        : QPushButton(parent), m_picture(std::move(picture)) {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_picture);
    }

private:
    QPixmap m_picture;
};

// A resistor's zig-zag from a to b, with `teeth` points either side of the line.
void DrawResistor(QPainter& painter, QPointF a, QPointF b, double amplitude, int teeth) {
    QPainterPath path(a);
    const QPointF step = (b - a) / (2 * teeth + 2);
    const QPointF across =
        QPointF(-step.y(), step.x()) / std::hypot(step.x(), step.y()) * amplitude;
    QPointF at = a + step;
    path.lineTo(at);
    for (int i = 0; i < 2 * teeth; ++i) {
        at += step;
        path.lineTo(at + (i % 2 == 0 ? across : -across));
    }
    path.lineTo(b - step);
    path.lineTo(b);
    painter.drawPath(path);
}

// A sine trace across a rectangle, as a simulation's output shows it.
void DrawTrace(QPainter& painter, QRectF area, double cycles) {
    QPainterPath trace;
    for (int i = 0; i <= 200; ++i) {
        const double t = i / 200.0;
        const QPointF point(area.left() + t * area.width(),
                            area.center().y() - std::sin(t * cycles * 2 * M_PI) * area.height() /
                                                    2 * std::exp(-1.2 * t));
        if (i == 0)
            trace.moveTo(point);
        else
            trace.lineTo(point);
    }
    painter.drawPath(trace);
}

void Background(QPainter& painter, QSize size) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(QPoint(0, 0), size), QColor(0x12, 0x2a, 0x3a));
    painter.setPen(QPen(QColor(0x1e, 0x44, 0x5c), 1));
    for (int x = 8; x < size.width(); x += 12)
        painter.drawLine(x, 0, x, size.height());
    for (int y = 8; y < size.height(); y += 12)
        painter.drawLine(0, y, size.width(), y);
}

} // namespace

QPixmap CAboutDlg::SmallPicture(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    Background(painter, size);
    const double w = size.width();
    const double h = size.height();
    painter.setPen(QPen(QColor(0xf0, 0xc0, 0x40), 2));
    DrawResistor(painter, {w * 0.06, h * 0.5}, {w * 0.42, h * 0.5}, h * 0.14, 4);
    painter.setPen(QPen(QColor(0x70, 0xe0, 0x90), 2));
    DrawTrace(painter, QRectF(w * 0.5, h * 0.18, w * 0.45, h * 0.64), 3);
    return picture;
}

QPixmap CAboutDlg::LargePicture(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    Background(painter, size);
    const double w = size.width();
    const double h = size.height();
    const QPen wire(QColor(0xf0, 0xc0, 0x40), 2);
    painter.setPen(wire);
    // An RC low-pass: source, series resistor, capacitor to ground.
    const QPointF in(w * 0.1, h * 0.3), mid(w * 0.5, h * 0.3), out(w * 0.62, h * 0.3);
    painter.drawEllipse(QPointF(w * 0.1, h * 0.45), h * 0.09, h * 0.09);
    painter.drawLine(QPointF(w * 0.1, h * 0.36), in);
    DrawResistor(painter, in, mid, h * 0.05, 5);
    painter.drawLine(mid, out);
    painter.drawLine(mid, QPointF(w * 0.5, h * 0.42));
    painter.drawLine(QPointF(w * 0.44, h * 0.42), QPointF(w * 0.56, h * 0.42));
    painter.drawLine(QPointF(w * 0.44, h * 0.48), QPointF(w * 0.56, h * 0.48));
    painter.drawLine(QPointF(w * 0.5, h * 0.48), QPointF(w * 0.5, h * 0.58));
    painter.drawLine(QPointF(w * 0.1, h * 0.54), QPointF(w * 0.1, h * 0.58));
    painter.drawLine(QPointF(w * 0.1, h * 0.58), QPointF(w * 0.5, h * 0.58));
    painter.setPen(QPen(QColor(0x70, 0xe0, 0x90), 2));
    DrawTrace(painter, QRectF(w * 0.08, h * 0.66, w * 0.84, h * 0.28), 4);
    painter.setPen(QColor(0xd0, 0xe0, 0xf0));
    QFont label("DejaVu Sans Mono");
    label.setPixelSize(std::max(9, int(h * 0.09)));
    painter.setFont(label);
    painter.drawText(QPointF(w * 0.66, h * 0.25), ".tran 1n 1u");
    painter.drawText(QPointF(w * 0.66, h * 0.37), "V(out)");
    return picture;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Kelvo");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setFixedSize(DialogRect(0, 0, 217, 120).size());

    auto* done = AddButton(IDC_DONE, "Done", DialogRect(168, 100, 36, 14));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    auto* more = AddButton(IDC_MORE, "More", DialogRect(125, 100, 36, 14));
    connect(more, &QPushButton::clicked, this, &CAboutDlg::OnMore);
    AddPicture(IDC_SMALL_PICTURE, &SmallPicture, DialogRect(8, 26, 114, 42));
    AddPicture(IDC_LARGE_PICTURE, &LargePicture, DialogRect(9, 6, 149, 90))->hide();

    // The name and the version in a large serif face; a face the system lacks is replaced
    // by its nearest serif.
    m_hNameFont = QFont("Times New Roman");
    m_hNameFont.setStyleHint(QFont::Serif);
    m_hNameFont.setPixelSize(31);
    m_hVersionFont = m_hNameFont;
    m_hVersionFont.setPixelSize(19);
    AddStatic(IDC_VERSION, QString("Version\n") + kKelvoVersion, DialogRect(121, 35, 87, 23))
        ->setFont(m_hVersionFont);
    AddStatic(IDC_NAME, "Kelvo", DialogRect(121, 9, 87, 23))->setFont(m_hNameFont);
    AddStatic(IDC_NOTICE, kNotice, DialogRect(121, 68, 87, 28));
    for (const int id : {IDC_VERSION, IDC_NAME, IDC_NOTICE})
        FitStatic(id);
    done->setFocus();
}

QRect CAboutDlg::DialogRect(int x, int y, int width, int height) const {
    return QRect(DialogUnitsX(*this, x), DialogUnitsY(*this, y), DialogUnitsX(*this, width),
                 DialogUnitsY(*this, height));
}

QPushButton* CAboutDlg::AddButton(int id, const QString& text, QRect rect) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(rect);
    return button;
}

QLabel* CAboutDlg::AddStatic(int id, const QString& text, QRect rect) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::number(id));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

void CAboutDlg::FitStatic(int id) {
    // Fonts differ from system to system: a text taller than its place grows downwards,
    // so no line is cut.
    auto* label = findChild<QLabel*>(QString::number(id));
    QRect rect = label->geometry();
    rect.setHeight(std::max(rect.height(), label->sizeHint().height()));
    label->setGeometry(rect);
}

QPushButton* CAboutDlg::AddPicture(int id, QPixmap (*draw)(QSize), QRect rect) {
    auto* button = new PictureButton(draw(rect.size()), this);
    button->setObjectName(QString::number(id));
    button->setGeometry(rect);
    return button;
}

void CAboutDlg::OnMore() {
    const bool showFirst = m_nFace != 1;
    for (const int id : {IDC_SMALL_PICTURE, IDC_NAME, IDC_VERSION, IDC_NOTICE})
        findChild<QWidget*>(QString::number(id))->setVisible(showFirst);
    findChild<QWidget*>(QString::number(IDC_LARGE_PICTURE))->setVisible(!showFirst);
    m_nFace = showFirst ? 1 : 2;
}
