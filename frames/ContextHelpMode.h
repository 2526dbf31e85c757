#pragma once

#include <QObject>
#include <QPoint>

class CMainFrame;
class QWidget;

// Shift+F1: until the next click or Escape, the pointer is the help cursor and the status
// bar asks for an object. The click does nothing else: the window under it is asked for
// its topic (a line of a netlist, its keyword's), and the main window's topic answers
// where nothing more particular does. Keys other than Escape do nothing meanwhile.
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

    CMainFrame* m_pFrame;
    bool m_bActive = false;
    // The release of the click that asked for help is not a click on anything.
    bool m_bSwallowRelease = false;
};
