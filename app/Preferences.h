#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QRect>
#include <QString>

#include "FileName.h"
#include "LogFont.h"

class QWidget;

// The main window's place as the preference file keeps it: the platform's placement record,
// 44 bytes, little-endian. The normal rectangle is the window's client geometry on the
// screen (left, top, right, bottom, right and bottom exclusive).
struct WindowPlacement {
    static constexpr int kBytes = 44;
    // Show commands.
    static constexpr std::uint32_t kShowNormal = 1;
    static constexpr std::uint32_t kShowMinimized = 2;
    static constexpr std::uint32_t kShowMaximized = 3;

    std::uint32_t length = kBytes;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = kShowNormal;
    std::int32_t minX = -1;
    std::int32_t minY = -1;
    std::int32_t maxX = -1;
    std::int32_t maxY = -1;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    QByteArray ToBytes() const;
    static WindowPlacement FromBytes(const char* bytes); // kBytes of them

    // The window's place and state, and back: a placement read from a window and applied
    // to another gives the same geometry and state.
    static WindowPlacement Of(const QWidget& window);
    void ApplyTo(QWidget& window) const;
    QRect Normal() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

// "kelvo.prf": the tag, the main window's placement, the two bars and, when a view was
// active at saving, its font; then a tagged block of this version's own choices, which an
// older reader leaves alone: it reads no further than the font, and the block is shorter
// than a font, so a file without one ends too early for a font.
struct Preferences {
    static constexpr char kFileName[] = "kelvo.prf";
    // The tag with its NUL: the file's whole version check.
    static constexpr char kTag[] = "kelvo 2-22-95";
    static constexpr int kTagBytes = 14;
    static constexpr int kBytesWithoutFont = kTagBytes + WindowPlacement::kBytes + 8;
    static constexpr int kBytesWithFont = kBytesWithoutFont + LogFont::kBytes;
    // The choices block: its tag with the NUL, then one 32-bit flag.
    static constexpr char kChoicesTag[] = "colours";
    static constexpr int kChoicesBytes = int(sizeof kChoicesTag) + 4;
    static_assert(kChoicesBytes < LogFont::kBytes);

    // Each part is there only when the file held it whole.
    std::optional<WindowPlacement> placement;
    std::optional<bool> toolbarVisible;
    std::optional<bool> statusBarVisible;
    std::optional<LogFont> font;
    std::optional<bool> syntaxColours;

    QByteArray ToBytes() const;
    // Empty (nothing to apply) when the tag is not the first 14 bytes.
    static std::optional<Preferences> FromBytes(const QByteArray& bytes);

    // What is read is checked before it is applied: a font whose height is not 1 to 512
    // pixels is dropped; a placement with no size keeps the platform's own size, and any
    // other is moved and cut into the free area of the screen it covers most (or lies
    // nearest to) of `screens`, the screens' free areas.
    void MakeSafe(const QList<QRect>& screens);
};

// The folder "kelvo.prf" is written to, and first read from: KVDIR when it is set (and
// shorter than 255 bytes), else the per-user configuration folder. Ends with "/".
FileName PreferenceDirectory();
