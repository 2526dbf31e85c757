#pragma once

#include <QLineEdit>
#include <QTextBrowser>
#include <QToolBar>
#include <QWidget>

class HelpTopics;

// The one help window: a browser over the help pages with Back, Forward, Index and a
// search field over the pages' words. It stays open beside the editor and shows whatever
// topic is asked for next.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const HelpTopics& topics, QWidget* owner);

    // Shows a page (by its name) at the front; a missing page shows the index.
    void ShowPage(const QString& page);
    // Lists the pages that hold every one of `words`.
    void ShowSearch(const QString& words);

    [[nodiscard]] QTextBrowser* Browser() const { return m_browser; }
    [[nodiscard]] QLineEdit* SearchField() const { return m_search; }
    [[nodiscard]] QAction* BackAction() const { return m_back; }
    [[nodiscard]] QAction* ForwardAction() const { return m_forward; }
    [[nodiscard]] QAction* IndexAction() const { return m_index; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BringToFront();

    const HelpTopics& m_topics;
    QTextBrowser* m_browser;
    QLineEdit* m_search;
    QAction* m_back;
    QAction* m_forward;
    QAction* m_index;
};
