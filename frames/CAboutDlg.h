#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>

class QLabel;
class QPushButton;

// Help > About Kelvo: the product's name, version and notice beside a small picture; More
// swaps them for one large picture, and back. Done ends it accepted, Escape rejected.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which name the controls (objectName) for tests and for reading.
    enum {
        IDC_DONE = 1,
        IDC_MORE = 1021,
        IDC_SMALL_PICTURE = 1013,
        IDC_LARGE_PICTURE = 1015,
        IDC_VERSION = 1022,
        IDC_NAME = 1010,
        IDC_NOTICE = 1080,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);

    // The face shown: 1 the name, version and notice, 2 the large picture.
    int Face() const { return m_nFace; }
    void OnMore();
    // The pictures, drawn at their controls' sizes.
    static QPixmap SmallPicture(QSize size);
    static QPixmap LargePicture(QSize size);

private:
    // A rectangle in dialog units of the dialog's font, in pixels.
    QRect DialogRect(int x, int y, int width, int height) const;
    QPushButton* AddButton(int id, const QString& text, QRect rect);
    QLabel* AddStatic(int id, const QString& text, QRect rect);
    void FitStatic(int id);
    QPushButton* AddPicture(int id, QPixmap (*draw)(QSize), QRect rect);

    int m_nFace = 1;
    QFont m_hNameFont;
    QFont m_hVersionFont;
};
