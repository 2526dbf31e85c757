// Kelvo: a multiple-document editor for SPICE netlists and the files a simulation leaves.

#include <QApplication>
#include <QSettings>

#include "CKelvoApp.h"
#include "QtPlatform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kelvo");
    QApplication::setOrganizationName("Kelvo");
    QtPlatform platform;
    QSettings profile;
    CKelvoApp app(&platform, &profile, QApplication::arguments());
    if (!app.InitInstance())
        return 1;
    platform.SetOwner(app.MainFrame());
    const int result = QApplication::exec();
    return std::max(result, app.ExitInstance());
}
