#include "ClipboardWatch.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ClipboardPromise.h"

namespace {

bool g_bWatching = false;
bool g_bDeferred = false;
bool g_bHasText = false;

// Whether the clipboard's data gives text. Kelvo's own promise does unless memory ran out,
// and Qt's own data holds its text in memory; another program's would have to send its
// whole text across, at every change of the clipboard, so for that the forms it offers
// decide.
bool HoldsText(const QMimeData* data) {
    if (data == nullptr)
        return false;
    if (qobject_cast<const ClipboardPromise*>(data) != nullptr)
        return data->hasText();
    if (data->metaObject() == &QMimeData::staticMetaObject)
        return !data->text().isEmpty();
    return data->hasText();
}

void Watch() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || g_bWatching)
        return;
    const auto renew = [clipboard] { g_bHasText = HoldsText(clipboard->mimeData()); };
    QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, renew);
    renew();
    g_bWatching = true;
}

} // namespace

bool ClipboardHasText() {
    if (!g_bDeferred)
        Watch();
    return g_bWatching && g_bHasText;
}

void DeferClipboardLook() {
    g_bDeferred = !g_bWatching;
}

bool EndClipboardDeferral() {
    if (!g_bDeferred)
        return false;
    g_bDeferred = false;
    return ClipboardHasText();
}
