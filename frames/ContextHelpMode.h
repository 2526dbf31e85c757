#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class CMainFrame;
class QWidget;

// Shift+F1: until the next click or Escape, the pointer is the help cursor and the status
// bar asks for an object. A left click does nothing else: the window under it is asked for
// its topic (a line of a netlist, its keyword's), and the main window's topic answers
// where nothing more particular does. Another button, Escape, a box or dialog coming up,
// or the program losing the focus ends the mode with no topic. Keys do nothing meanwhile.
class ContextHelpMode : public QObject {
    Q_OBJECT
public:
    static constexpr char kPrompt[] = "Select an object on which to get Help";

    explicit ContextHelpMode(CMainFrame* frame);
    ~ContextHelpMode() override;

    void Enter();
    void Leave();
    [[nodiscard]] bool IsActive() const { return m_bActive; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void HelpAt(QWidget* widget, QPoint globalPoint);
    // The rest of the click that ended the mode is not a click on anything: its release,
    // and the context menu a right button would open.
    bool SwallowRestOfClick(QObject* watched, QEvent* event);
    void StopFiltering();

    CMainFrame* m_pFrame;
    bool m_bActive = false;
    QPointer<QWidget> m_clicked; // the widget whose release is still to come
};
