// The help window: the pages, the way back and forth through them, and the search.
#include "HelpWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
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
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_back = bar->addAction("Back");
    m_back->setShortcut(QKeySequence("Alt+Left"));
    m_back->setToolTip("Back (Alt+Left)");
    m_forward = bar->addAction("Forward");
    m_forward->setShortcut(QKeySequence("Alt+Right"));
    m_forward->setToolTip("Forward (Alt+Right)");
    m_index = bar->addAction("Index");
    m_index->setShortcut(QKeySequence("Alt+Home"));
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
    auto* find = new QShortcut(QKeySequence("Ctrl+F"), this);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    // Beside the editor: a third of the screen's width, most of its height.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(std::max(480, area.width() / 3), area.height() * 3 / 4);
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
