// The preference file: read once at start-up, written by Options > Save Preferences.

#include <cerrno>

#include <sys/stat.h>

#include <QGuiApplication>
#include <QScreen>

#include "AtomicSaveFile.h"
#include "CKelvoApp.h"
#include "FrameworkMessages.h"
#include "KelvoVersion.h"
#include "PathSearch.h"
#include "PosixFile.h"
#include "Preferences.h"

namespace {

constexpr char kUnableToOpen[] = "Unable to open preference file:\n";
constexpr char kIncorrectVersion[] = "Incorrect preference file version:\n";
// More than any preference file holds: a larger file is read only this far.
constexpr std::size_t kMostBytes = 4096;

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<QByteArray> ReadPreferenceFile(const FileName& path) {
    try {
        CPosixFile file(path.ToStdString(), CPosixFile::modeRead);
        QByteArray bytes(qsizetype(kMostBytes), '\0');
        std::size_t got = 0;
        while (got < kMostBytes) {
            const std::size_t n = file.Read(bytes.data() + got, kMostBytes - got);
            if (n == 0)
                break;
            got += n;
        }
        bytes.truncate(qsizetype(got));
        return bytes;
    } catch (const CFileException&) {
        return std::nullopt;
    }
}

// Makes the folder and the folders above it; 0, or why not as an errno value.
int MakeFolders(const FileName& folder) {
    const QByteArray& path = folder.Bytes();
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const QByteArray part = path.left(at);
        struct stat info {};
        if (::stat(part.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

QList<QRect> AvailableScreens() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return screens;
}

} // namespace

void CKelvoApp::LoadPreferences() {
    // The preference folder first, then the program's own, where a default file ships in
    // the build, then the data folder of an install.
    FileName path;
    std::optional<QByteArray> bytes;
    for (const FileName& folder :
         {PreferenceDirectory(), ProgramDirectory(), ProgramDirectory() + kKelvoDataFromProgram}) {
        path = (folder + Preferences::kFileName).Cleaned();
        if ((bytes = ReadPreferenceFile(path)))
            break;
    }
    if (!bytes) {
        m_platform->MessageBox(kUnableToOpen + path.Display(), MB_OK);
        return;
    }
    std::optional<Preferences> preferences = Preferences::FromBytes(*bytes);
    if (!preferences) {
        m_platform->MessageBox(kIncorrectVersion + path.Display(), MB_OK);
        return;
    }
    preferences->MakeSafe(AvailableScreens());
    if (preferences->placement)
        preferences->placement->ApplyTo(*m_pMainWnd);
    if (preferences->toolbarVisible == false)
        m_pMainWnd->ToolBar()->hide();
    if (preferences->statusBarVisible == false)
        m_pMainWnd->StatusBar()->hide();
    if (preferences->font)
        m_lfDefault = *preferences->font;
    if (preferences->syntaxColours)
        m_bSyntaxColours = *preferences->syntaxColours;
}

void CKelvoApp::OnOptionsSyntaxColours() {
    m_bSyntaxColours = !m_bSyntaxColours;
    for (CKelvoView* view : m_pMainWnd->findChildren<CKelvoView*>())
        view->viewport()->update();
}

void CKelvoApp::OnUpdateOptionsSyntaxColours(CommandUpdate& update) {
    update.SetCheck(m_bSyntaxColours);
}

void CKelvoApp::OnSavePreferences() {
    const FileName folder = PreferenceDirectory();
    const FileName path = folder + Preferences::kFileName;
    Preferences preferences;
    preferences.placement = WindowPlacement::Of(*m_pMainWnd);
    // A bar counts as shown unless it is hidden now.
    preferences.toolbarVisible = !m_pMainWnd->ToolBar()->isHidden();
    preferences.statusBarVisible = !m_pMainWnd->StatusBar()->isHidden();
    if (const CKelvoView* view = m_pMainWnd->ActiveView())
        preferences.font = view->GetLogFont();
    preferences.syntaxColours = m_bSyntaxColours;
    const QByteArray bytes = preferences.ToBytes();
    try {
        // The folder is made when it is missing (a fresh per-user configuration).
        if (const int error = MakeFolders(folder); error != 0)
            throw CFileException(folder.ToStdString(), path.ToStdString(), error);
        CAtomicSaveFile file(path.ToStdString());
        file.Write(bytes.constData(), std::size_t(bytes.size()));
        file.Commit();
    } catch (const CFileException& error) {
        m_platform->MessageBox(SaveFailureMessage(error.Error(), path), MB_OK | MB_ICONEXCLAMATION);
    }
}
