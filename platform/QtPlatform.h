#pragma once

#include <QPointer>
#include <QWidget>

#include "HelpWindow.h"
#include "Platform.h"
#include "SharedMemory.h"

// The platform on a real desktop: Qt's message boxes, file and font dialogs.
class QtPlatform : public Platform {
public:
    // The main window, which owns every message box and dialog.
    void SetMainWindow(QWidget* owner) override { m_owner = owner; }

    int MessageBox(const QString& text, int style) override;
    void Beep() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    QString GetOpenFileName(const FileName& directory) override;
    QString GetSaveFileName(const FileName& suggestedPath) override;
    bool ChooseFont(LogFont& font, QColor& colour) override;
    int RunDialog(QDialog& dialog) override;
    void WinHelp(int data, unsigned command) override;
    bool IsHelpWindow(const QWidget* window) const override {
        return window != nullptr && window == m_helpWindow;
    }
    bool PrintDialog(QPrinter& printer, bool offerSelection, bool& selection) override;
    void PrintPreview(QPrinter& printer, int pagesShown,
                      const std::function<int(QPrinter*)>& paint) override;
    bool PrintSetup(QPrinter& printer) override;
    bool CancelDialogs() override;
    unsigned char* OpenShareMapping(std::size_t size) override;
    void CloseShareMapping() override { m_shareMapping.Close(); }
    bool ShareMappingLost() override { return m_shareMapping.Lost(); }
    void LockShareMapping() override { m_shareMapping.Lock(); }
    void UnlockShareMapping() override { m_shareMapping.Unlock(); }

private:
    QWidget* Owner() const;

    QPointer<QWidget> m_owner;
    SharedMemory m_shareMapping;
    QPointer<HelpWindow> m_helpWindow;
};
