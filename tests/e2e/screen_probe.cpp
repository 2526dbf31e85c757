// Reads what the display shows, for the end-to-end tests: prints the place of the active
// document window's title bar as "x y width height" in screen pixels, or fails when there
// is none. The active title bar is the one band of the highlight colour a title-bar wide.

#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QScreen>

namespace {

constexpr int kMinimumRun = 60; // narrower than any title bar, wider than any icon
constexpr int kTolerance = 40;  // the title bar's gradient around the highlight colour

bool IsHighlight(QRgb pixel, const QColor& highlight) {
    return std::abs(qRed(pixel) - highlight.red()) <= kTolerance &&
           std::abs(qGreen(pixel) - highlight.green()) <= kTolerance &&
           std::abs(qBlue(pixel) - highlight.blue()) <= kTolerance;
}

// The span of highlight pixels in row y, when it holds a run at least kMinimumRun long.
bool RowSpan(const QImage& image, int y, const QColor& highlight, int& left, int& right) {
    int run = 0;
    int longest = 0;
    left = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (IsHighlight(image.pixel(x, y), highlight)) {
            if (left < 0)
                left = x;
            right = x;
            longest = std::max(longest, ++run);
        } else {
            run = 0;
        }
    }
    return longest >= kMinimumRun;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 2;
    const QImage image = screen->grabWindow(0).toImage();
    const QColor highlight =
        QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);

    // The tallest band of consecutive rows that hold such a run.
    QRect best;
    QRect band;
    for (int y = 0; y <= image.height(); ++y) {
        int left = 0;
        int right = 0;
        if (y < image.height() && RowSpan(image, y, highlight, left, right)) {
            const QRect row(left, y, right - left + 1, 1);
            band = band.isNull() ? row : band.united(row);
            continue;
        }
        if (band.height() > best.height())
            best = band;
        band = QRect();
    }
    if (best.isNull())
        return 1;
    std::printf("%d %d %d %d\n", best.x(), best.y(), best.width(), best.height());
    return 0;
}
