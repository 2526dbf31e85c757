#pragma once

// What the mouse and Edit menu tests share: documents made from bytes, views shown and
// painted on them, mouse events as a user's hand makes them, and a record of repaints.

#include <algorithm>
#include <memory>
#include <utility>

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "CKelvoView.h"
#include "CommandTarget.h"
#include "fakes/ScriptedPlatform.h"

Q_DECLARE_METATYPE(TextPos)

// Failed comparisons of positions print them.
inline char* toString(const TextPos& pos) {
    return qstrdup(
        QByteArray("(" + QByteArray::number(pos.line) + ", " + QByteArray::number(pos.column) + ")")
            .constData());
}

// The document's text as it would be saved.
inline QByteArray Bytes(const TextStore& store) {
    QByteArray bytes;
    for (const LineRecord* line = store.FirstLine(); line != nullptr; line = line->next)
        bytes += QByteArray(line->text, line->length) + "\r\n";
    return bytes;
}

// Whether the view holds the command and enables it.
inline bool Enabled(CKelvoView& view, int id) {
    CommandUpdate update(id);
    return view.OnUpdateCommand(update) && update.enabled;
}

// A view that records the areas it was asked to paint.
class RecordingView : public CKelvoView {
public:
    using CKelvoView::CKelvoView;
    QRegion painted;

    // Lets pending repaints happen, then forgets them.
    void Settle() {
        QTest::qWait(10);
        painted = QRegion();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        painted += event->region();
        CKelvoView::paintEvent(event);
    }
};

// A document whose file refuses every change, counting the edits it was asked about.
class RefusingDoc : public CKelvoDoc {
public:
    using CKelvoDoc::CKelvoDoc;
    int asked = 0;
    bool AllowEdit() override {
        ++asked;
        return false;
    }
};

// Fetches a FaceRows row into `face` and `pitch`. Where the face is not installed the row
// is skipped: asked for it, fontconfig would give another face, and the test would measure
// that one instead.
// clang-format off
#define FETCH_FACE_ROW()                                                                           \
    QFETCH(QString, face);                                                                         \
    QFETCH(int, pitch);                                                                            \
    if (!QFontDatabase::hasFamily(face))                                                           \
        QSKIP(qPrintable(face + " is not installed"))
// clang-format on

class ViewFixture {
public:
    ScriptedPlatform platform;
    CFileLists lists;
    ViewDefaults defaults;
    QTemporaryDir dir;

    template <class Doc = CKelvoDoc> std::unique_ptr<Doc> Document(const QByteArray& bytes) {
        const QString path = dir.filePath("view.cir");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return nullptr;
        file.write(bytes);
        file.close();
        auto doc = std::make_unique<Doc>(&platform, &lists);
        if (!doc->OnOpenDocument(FileName::FromText(path)))
            return nullptr;
        return doc;
    }

    // Lines "line 0" .. "line n-1".
    static QByteArray Numbered(int n) {
        QByteArray text;
        for (int i = 0; i < n; ++i)
            text += "line " + QByteArray::number(i) + "\r\n";
        return text;
    }

    // A view shown, painted once (drags wait for that) and given the focus.
    template <class View = CKelvoView>
    std::unique_ptr<View> Show(CKelvoDoc* doc, QSize size = {400, 300},
                               CKelvoView* first = nullptr) {
        auto view = std::make_unique<View>(doc, &defaults);
        view->resize(size);
        view->OnInitialUpdate(first);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            return nullptr;
        view->viewport()->repaint();
        view->activateWindow();
        view->setFocus();
        return view;
    }

    // A view in a font of the given face, pitch-and-family byte and pixel height.
    std::unique_ptr<CKelvoView> ShowInFont(CKelvoDoc* doc, const QString& face, int pitch,
                                           QSize size = {400, 300}, int pixels = 13) {
        const ViewDefaults kept = defaults;
        defaults.m_lfDefault.SetFaceName(face);
        defaults.m_lfDefault.pitchAndFamily = std::uint8_t(pitch);
        defaults.m_lfDefault.height = -pixels;
        auto view = Show(doc, size);
        defaults = kept;
        return view;
    }
    // The faces the font tests mean, by their own names: DejaVu's, which the set-up
    // installs, and the URW Courier, whose strokes are a hair wide and anti-aliased grey.
    // FETCH_FACE_ROW skips a row whose face is missing.
    static void FaceRows() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("pitch");
        const int fixed = LogFont::Default().pitchAndFamily;
        QTest::newRow("fixed pitch") << "DejaVu Sans Mono" << fixed;
        QTest::newRow("proportional") << "DejaVu Sans" << 0x22;
        QTest::newRow("thin fixed pitch") << "Nimbus Mono PS" << fixed;
    }

    // A client point that gives the position: one pixel right of its boundary (so that
    // column 0 is in the text, not in the margin), halfway down its line.
    static QPoint At(const CKelvoView& view, TextPos pos) {
        return view.PosToPoint(pos) + QPoint(1, view.LineHeight() / 2);
    }

    static void Press(CKelvoView& view, QPoint point,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, point);
    }
    // A move with the left button held (after Press).
    static void Drag(CKelvoView& view, QPoint point) { QTest::mouseMove(view.viewport(), point); }
    static void Release(CKelvoView& view, QPoint point) {
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }
    static void Click(CKelvoView& view, QPoint point,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, point);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, point);
    }
    // What a double-click delivers: press, release, the double-click, release.
    static void DoubleClick(CKelvoView& view, QPoint point,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Click(view, point, modifiers);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, modifiers, point);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, point);
    }
    // A move with no button down: the mouse passing over the view.
    static void Hover(CKelvoView& view, QPoint point) {
        QMouseEvent move(QEvent::MouseMove, point, view.viewport()->mapToGlobal(point),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }

    // The selection's lesser and greater ends.
    static std::pair<TextPos, TextPos> Selection(const CKelvoView& view) {
        const TextPos a = view.CaretPos();
        const TextPos b = view.SelEnd();
        return {std::min(a, b), std::max(a, b)};
    }
};
