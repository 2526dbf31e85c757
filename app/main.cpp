// Kelvo: a multiple-document editor for SPICE netlists and the files a simulation leaves.

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <QApplication>
#include <QStyle>
#include <QSettings>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CKelvoApp.h"
#include "CommandLine.h"
#include "InformationOptions.h"
#include "KelvoVersion.h"
#include "LazyIconStyle.h"
#include "QtPlatform.h"

namespace {

int g_terminatePipe[2] = {-1, -1};

// SIGTERM and SIGINT end Kelvo as File > Exit does: the handler only wakes the event loop.
// It keeps errno, which the code it interrupted may be about to report, and never blocks:
// when the socket is full, the loop has wakings enough.
void OnTerminate(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (::write(g_terminatePipe[1], &byte, 1) < 0) {
        // Nothing to do: the loop is already being woken.
    }
    errno = savedErrno;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt looks for a display and before the shared block is opened.
    if (const char* text = InformationOptions::TextFor(argc, argv)) {
        std::fputs(text, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // A file-size limit (a quota, "ulimit -f") fails a write with EFBIG, which is reported,
    // instead of ending Kelvo with every unsaved document.
    ::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kelvo");
    QApplication::setOrganizationName("Kelvo");
    QApplication::setApplicationVersion(kKelvoVersion);
    // Ties the windows to the installed desktop file, whose icon and name the desktop shows.
    QGuiApplication::setDesktopFileName(kKelvoAppId);
    // Before the first widget: the standard icons are read when first shown.
    QApplication::setStyle(new LazyIconStyle(QApplication::style()->name()));
    QtPlatform platform;
    QSettings profile;
    // From argv as Qt left it: the file's name keeps its bytes.
    CKelvoApp app(&platform, &profile, CommandLine::Arguments(argc, argv));

    // Before the window shows, so that a signal never finds Kelvo without its handler.
    std::unique_ptr<QSocketNotifier> terminate;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_terminatePipe) == 0) {
        ::fcntl(g_terminatePipe[1], F_SETFL, O_NONBLOCK);
        terminate = std::make_unique<QSocketNotifier>(g_terminatePipe[0], QSocketNotifier::Read);
        QObject::connect(terminate.get(), &QSocketNotifier::activated, &app, [&app] {
            char byte;
            if (::read(g_terminatePipe[0], &byte, 1) == 1)
                app.RequestExit();
        });
        struct sigaction action {};
        action.sa_handler = OnTerminate;
        // A save in progress must not see its fsync or close fail with EINTR.
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
    }
    if (!app.InitInstance())
        return app.StartExitCode();
    const int result = QApplication::exec();
    return std::max(result, app.ExitInstance());
}
