// Reads what the display shows, for the end-to-end tests. With no arguments: prints the
// place of the active document window's title bar as "x y width height" in screen pixels,
// or fails when there is none; the active title bar is the one band of the highlight
// colour a title-bar wide. With "pages X Y WIDTH HEIGHT": prints the place of every white
// page within that part of the screen, a line each, left to right.

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

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

constexpr int kMinimumPage = 50; // wider and taller than any white button or field
constexpr int kWhite = 250;

bool IsWhite(QRgb pixel) {
    return qRed(pixel) >= kWhite && qGreen(pixel) >= kWhite && qBlue(pixel) >= kWhite;
}

// A page is mostly white in every column and row it spans, as text covers little of it;
// the background around it, buttons and fields are not.
bool MostlyWhite(const QImage& image, QRect line) {
    int white = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x)
            white += IsWhite(image.pixel(x, y));
    return white * 2 >= line.width() * line.height();
}

// The runs of at least kMinimumPage consecutive true values, as (first, last).
std::vector<std::pair<int, int>> Runs(const std::vector<bool>& values) {
    std::vector<std::pair<int, int>> runs;
    int start = -1;
    for (int i = 0; i <= int(values.size()); ++i) {
        if (i < int(values.size()) && values[std::size_t(i)]) {
            if (start < 0)
                start = i;
            continue;
        }
        if (start >= 0 && i - start >= kMinimumPage)
            runs.emplace_back(start, i - 1);
        start = -1;
    }
    return runs;
}

int PrintPages(const QImage& image, QRect region) {
    region &= image.rect();
    std::vector<bool> columns;
    for (int x = region.left(); x <= region.right(); ++x)
        columns.push_back(MostlyWhite(image, QRect(x, region.top(), 1, region.height())));
    int found = 0;
    for (const auto& [left, right] : Runs(columns)) {
        std::vector<bool> rows;
        for (int y = region.top(); y <= region.bottom(); ++y)
            rows.push_back(
                MostlyWhite(image, QRect(region.left() + left, y, right - left + 1, 1)));
        for (const auto& [top, bottom] : Runs(rows)) {
            std::printf("%d %d %d %d\n", region.left() + left, region.top() + top,
                        right - left + 1, bottom - top + 1);
            ++found;
        }
    }
    return found > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 2;
    const QImage image = screen->grabWindow(0).toImage();
    if (argc == 6 && QByteArray(argv[1]) == "pages")
        return PrintPages(image, QRect(std::atoi(argv[2]), std::atoi(argv[3]),
                                       std::atoi(argv[4]), std::atoi(argv[5])));
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
