// The help window: the pages, the way back and forth through them, and the search.
#include "HelpWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <algorithm>

#include "HelpTopics.h"

namespace {

// Searches come back as pages of their own, so that Back and Forward pass through them.
constexpr char kSearchScheme[] = "search";

class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const HelpTopics& topics, QWidget* parent)
        : QTextBrowser(parent), m_topics(topics) {}

    QVariant loadResource(int type, const QUrl& url) override {
        if (url.scheme() == kSearchScheme && type == QTextDocument::HtmlResource)
            return m_topics.SearchPage(QUrlQuery(url).queryItemValue("words", QUrl::FullyDecoded));
        return QTextBrowser::loadResource(type, url);
    }

private:
    const HelpTopics& m_topics;
};

} // namespace

HelpWindow::HelpWindow(const HelpTopics& topics, QWidget* owner)
    : QWidget(owner, Qt::Window), m_topics(topics) {
    setObjectName("helpwindow");
    setWindowTitle("Kelvo Help");

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_back = bar->addAction("Back");
    m_back->setToolTip("Back (Alt+Left)");
    m_forward = bar->addAction("Forward");
    m_forward->setToolTip("Forward (Alt+Right)");
    m_index = bar->addAction("Index");
    m_index->setToolTip("Index (Alt+Home)");
    bar->addSeparator();
    auto* label = new QLabel("&Search: ", bar);
    m_search = new QLineEdit(bar);
    m_search->setObjectName("helpsearch");
    m_search->setPlaceholderText("words on the page");
    m_search->setClearButtonEnabled(true);
    label->setBuddy(m_search);
    bar->addWidget(label);
    bar->addWidget(m_search);

    m_browser = new HelpBrowser(topics, this);
    m_browser->setOpenExternalLinks(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_index, &QAction::triggered, this, [this] { ShowPage(HelpTopics::kIndexPage); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QString("Kelvo Help") : "Kelvo Help - " + title);
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        if (!m_search->text().trimmed().isEmpty())
            ShowSearch(m_search->text());
    });
    // Beside the editor, at the screen's right edge: a third of its width, most of its
    // height.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(std::max(480, area.width() / 3), area.height() * 3 / 4);
        move(std::max(area.left(), area.right() + 1 - width()), area.top());
    }
    m_browser->setFocus(Qt::OtherFocusReason);
}

// The window's own keys come before the program's shortcuts, which work in every window.
static bool IsHelpWindowKey(const QKeyEvent* key) {
    const QKeyCombination combination = key->keyCombination();
    return combination == QKeyCombination(Qt::ControlModifier, Qt::Key_F) ||
           combination == QKeyCombination(Qt::NoModifier, Qt::Key_Escape) ||
           combination == QKeyCombination(Qt::AltModifier, Qt::Key_Left) ||
           combination == QKeyCombination(Qt::AltModifier, Qt::Key_Right) ||
           combination == QKeyCombination(Qt::AltModifier, Qt::Key_Home);
}

// The program's shortcuts work in every window of it, but the help window is a reader of
// its own: of them only F1 and Shift+F1 reach through it (to the help on help). Ctrl+C
// copies from the page, not from the document behind.
static bool IsProgramKeyHere(const QKeyEvent* key) {
    const QKeyCombination combination = key->keyCombination();
    return combination == QKeyCombination(Qt::NoModifier, Qt::Key_F1) ||
           combination == QKeyCombination(Qt::ShiftModifier, Qt::Key_F1);
}

bool HelpWindow::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        !IsProgramKeyHere(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (!IsHelpWindowKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_F:
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
        break;
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_Left:
        m_back->trigger();
        break;
    case Qt::Key_Right:
        m_forward->trigger();
        break;
    default:
        m_index->trigger();
        break;
    }
}

void HelpWindow::ShowPage(const QString& page) {
    const QString shown = m_topics.HtmlOf(page).isEmpty() ? QString(HelpTopics::kIndexPage) : page;
    m_browser->setSource(m_topics.UrlOf(shown));
    BringToFront();
}

void HelpWindow::ShowSearch(const QString& words) {
    QUrl url;
    url.setScheme(kSearchScheme);
    QUrlQuery query;
    query.addQueryItem("words", words.simplified());
    url.setQuery(query);
    m_browser->setSource(url);
    BringToFront();
}

void HelpWindow::BringToFront() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
