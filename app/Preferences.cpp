#include "Preferences.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <QWidget>
#include <QtEndian>

#include "PathSearch.h"

namespace {

constexpr int kLargestFontPixels = 512;
// An environment value this long or longer is taken as absent.
constexpr int kLongestDirectory = 255;

void PutInt(char*& out, std::uint32_t value) {
    qToLittleEndian<std::uint32_t>(value, out);
    out += 4;
}

std::uint32_t TakeInt(const char*& in) {
    const auto value = qFromLittleEndian<std::uint32_t>(in);
    in += 4;
    return value;
}

// How far apart the spans [from, to) and [start, end) lie, and how much of them they share.
long long Gap(long long from, long long to, long long start, long long end) {
    return std::max({0LL, start - to, from - end});
}

long long Shared(long long from, long long to, long long start, long long end) {
    return std::max(0LL, std::min(to, end) - std::max(from, start));
}

// The screen a window lands on: the one it covers most, else the nearest. Not empty.
const QRect& LandingScreen(const QList<QRect>& screens, long long left, long long top,
                           long long width, long long height) {
    const QRect* best = &screens.front();
    std::pair<long long, long long> bestScore{LLONG_MAX, 0};
    for (const QRect& screen : screens) {
        const long long x = screen.left();
        const long long y = screen.top();
        const std::pair score{Gap(left, left + width, x, x + screen.width()) +
                                  Gap(top, top + height, y, y + screen.height()),
                              -Shared(left, left + width, x, x + screen.width()) *
                                  Shared(top, top + height, y, y + screen.height())};
        if (score < bestScore) {
            best = &screen;
            bestScore = score;
        }
    }
    return *best;
}

} // namespace

QByteArray WindowPlacement::ToBytes() const {
    QByteArray bytes(kBytes, '\0');
    char* out = bytes.data();
    for (const std::uint32_t value :
         {length, flags, showCmd, std::uint32_t(minX), std::uint32_t(minY), std::uint32_t(maxX),
          std::uint32_t(maxY), std::uint32_t(left), std::uint32_t(top), std::uint32_t(right),
          std::uint32_t(bottom)})
        PutInt(out, value);
    return bytes;
}

WindowPlacement WindowPlacement::FromBytes(const char* in) {
    WindowPlacement placement;
    placement.length = TakeInt(in);
    placement.flags = TakeInt(in);
    placement.showCmd = TakeInt(in);
    for (std::int32_t* field :
         {&placement.minX, &placement.minY, &placement.maxX, &placement.maxY, &placement.left,
          &placement.top, &placement.right, &placement.bottom})
        *field = std::int32_t(TakeInt(in));
    return placement;
}

WindowPlacement WindowPlacement::Of(const QWidget& window) {
    WindowPlacement placement;
    const Qt::WindowStates state = window.windowState();
    placement.showCmd = state & Qt::WindowMinimized   ? kShowMinimized
                        : state & Qt::WindowMaximized ? kShowMaximized
                                                      : kShowNormal;
    // A maximized or minimized window keeps the place it goes back to.
    QRect normal = placement.showCmd == kShowNormal ? window.geometry() : window.normalGeometry();
    if (!normal.isValid())
        normal = window.geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return placement;
}

void WindowPlacement::ApplyTo(QWidget& window) const {
    const QRect normal = Normal();
    if (normal.isValid())
        window.setGeometry(normal);
    switch (showCmd) {
    case kShowMaximized:
        window.setWindowState(Qt::WindowMaximized);
        break;
    case kShowMinimized:
        window.setWindowState(Qt::WindowMinimized);
        break;
    default:
        window.setWindowState(Qt::WindowNoState);
        break;
    }
}

QByteArray Preferences::ToBytes() const {
    QByteArray bytes(kTag, kTagBytes); // the tag and its NUL
    bytes += placement.value_or(WindowPlacement{}).ToBytes();
    QByteArray bars(8, '\0');
    char* out = bars.data();
    PutInt(out, toolbarVisible.value_or(true) ? 1 : 0);
    PutInt(out, statusBarVisible.value_or(true) ? 1 : 0);
    bytes += bars;
    if (font)
        bytes += font->ToBytes();
    if (syntaxColours) {
        QByteArray choices(kChoicesTag, sizeof kChoicesTag);
        choices += QByteArray(4, '\0');
        qToLittleEndian<std::uint32_t>(*syntaxColours ? 1 : 0, choices.data() + sizeof kChoicesTag);
        bytes += choices;
    }
    return bytes;
}

std::optional<Preferences> Preferences::FromBytes(const QByteArray& bytes) {
    if (bytes.size() < kTagBytes || std::memcmp(bytes.constData(), kTag, kTagBytes) != 0)
        return std::nullopt;
    Preferences preferences;
    // A file that ends early is applied as far as its parts are whole.
    qsizetype at = kTagBytes;
    const auto whole = [&](qsizetype n) { return bytes.size() - at >= n; };
    if (!whole(WindowPlacement::kBytes))
        return preferences;
    preferences.placement = WindowPlacement::FromBytes(bytes.constData() + at);
    at += WindowPlacement::kBytes;
    for (std::optional<bool>* bar : {&preferences.toolbarVisible, &preferences.statusBarVisible}) {
        if (!whole(4))
            return preferences;
        *bar = qFromLittleEndian<std::uint32_t>(bytes.constData() + at) != 0;
        at += 4;
    }
    // The choices block is told from a font by its tag.
    const auto choices = [&] {
        return whole(kChoicesBytes) &&
               std::memcmp(bytes.constData() + at, kChoicesTag, sizeof kChoicesTag) == 0;
    };
    if (!choices() && whole(LogFont::kBytes)) {
        preferences.font = LogFont::FromBytes(bytes.mid(at, LogFont::kBytes));
        at += LogFont::kBytes;
    }
    if (choices())
        preferences.syntaxColours =
            qFromLittleEndian<std::uint32_t>(bytes.constData() + at + sizeof kChoicesTag) != 0;
    return preferences;
}

void Preferences::MakeSafe(const QList<QRect>& screens) {
    if (font) {
        const int pixels = std::abs(font->height);
        if (font->height == INT32_MIN || pixels < 1 || pixels > kLargestFontPixels)
            font.reset();
    }
    if (!placement)
        return;
    WindowPlacement& place = *placement;
    // In 64 bits: the fields are whatever the file said.
    const long long left = place.left;
    const long long top = place.top;
    const long long width = (long long)place.right - left;
    const long long height = (long long)place.bottom - top;
    if (width <= 0 || height <= 0) {
        place.left = place.top = place.right = place.bottom = 0; // the platform's size
        return;
    }
    if (screens.isEmpty())
        return;
    // A window larger than the free area would cost the display its memory for nothing.
    const QRect& screen = LandingScreen(screens, left, top, width, height);
    const long long w = std::min<long long>(width, screen.width());
    const long long h = std::min<long long>(height, screen.height());
    const long long x =
        std::clamp<long long>(left, screen.left(), screen.left() + screen.width() - w);
    const long long y =
        std::clamp<long long>(top, screen.top(), screen.top() + screen.height() - h);
    place.left = std::int32_t(x);
    place.top = std::int32_t(y);
    place.right = std::int32_t(x + w);
    place.bottom = std::int32_t(y + h);
}

FileName PreferenceDirectory() {
    const QByteArray kvdir = qgetenv("KVDIR");
    if (!kvdir.isEmpty() && kvdir.size() < kLongestDirectory)
        return FileName::FromBytes(kvdir).WithSlash();
    // The per-user configuration folder as the XDG rules place it, which ignore a relative
    // XDG_CONFIG_HOME.
    const FileName config = FileName::FromBytes(qgetenv("XDG_CONFIG_HOME"));
    return (config.StartsWith("/") ? config : HomeDirectory().WithSlash() + ".config").WithSlash() +
           "kelvo/";
}
