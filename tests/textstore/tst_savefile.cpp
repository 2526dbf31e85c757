#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AtomicSaveFile.h"
#include "CArchive.h"

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadAll(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, std::size_t(n));
    ::close(fd);
    return bytes;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

// What a save leaves in a folder besides its files: temporary files and backups.
QStringList Leftovers(const std::string& folder) {
    QStringList names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name).find("kvsave") != std::string::npos)
                names << entry->d_name;
        ::closedir(dir);
    }
    return names;
}

// Saves `bytes` to `path` as the program does; the error, or 0.
int Save(const std::string& path, const std::string& bytes) {
    try {
        CAtomicSaveFile file(path);
        {
            CArchive archive(&file, CArchive::store);
            archive.Write(bytes.data(), bytes.size());
            archive.Close();
        }
        file.Commit();
    } catch (const CFileException& error) {
        return error.Error() != 0 ? error.Error() : -1;
    }
    return 0;
}

struct stat Stat(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// Saves as the user nobody, in a child process, with the cache folder given and, when
// `limit` is above 0, a file-size limit of that many bytes; the error, or 0 (100: the child
// could not become nobody).
int SaveAsNobody(const std::string& path, const std::string& bytes, const std::string& cache,
                 rlim_t limit = 0) {
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t group = kNobody;
        if (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(100);
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        if (limit > 0) {
            struct rlimit small {};
            ::getrlimit(RLIMIT_FSIZE, &small);
            small.rlim_cur = limit;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ::_exit(Save(path, bytes) & 0x7f);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

// Saving keeps what the file was: its mode, owner, links and name, and never a half file.
class SaveFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

private slots:
    void init() { QVERIFY(Leftovers(dir.path().toStdString()).isEmpty()); }

    void setIdBitsSurviveASave_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("set-user-ID") << 04755;
        QTest::newRow("set-group-ID") << 02755;
        QTest::newRow("both") << 06750;
    }

    void setIdBitsSurviveASave() {
        QFETCH(int, mode);
        const std::string path = Path("tool.sh");
        WriteAll(path, "old\n");
        QCOMPARE(::chmod(path.c_str(), mode_t(mode)), 0);
        QCOMPARE(Save(path, "new\n"), 0);
        QCOMPARE(ReadAll(path), std::string("new\n"));
        QCOMPARE(int(Stat(path).st_mode & 07777), mode);
    }

    void danglingLinkChainWritesItsEnd() {
        QVERIFY(::mkdir(Path("far").c_str(), 0755) == 0 || errno == EEXIST);
        QCOMPARE(::symlink("b.cir", Path("a.cir").c_str()), 0);
        QCOMPARE(::symlink("far/missing.cir", Path("b.cir").c_str()), 0);
        QCOMPARE(Save(Path("a.cir"), "x\r\n"), 0);
        QVERIFY(S_ISLNK(Stat(Path("a.cir")).st_mode));
        QVERIFY(S_ISLNK(Stat(Path("b.cir")).st_mode));
        QCOMPARE(ReadAll(Path("far/missing.cir")), std::string("x\r\n"));
        QVERIFY(Leftovers(dir.path().toStdString()).isEmpty());
    }

    void linkLoopIsRefused() {
        QCOMPARE(::symlink("loop2", Path("loop1").c_str()), 0);
        QCOMPARE(::symlink("loop1", Path("loop2").c_str()), 0);
        QCOMPARE(Save(Path("loop1"), "x"), ELOOP);
        QVERIFY(S_ISLNK(Stat(Path("loop1")).st_mode));
        QVERIFY(S_ISLNK(Stat(Path("loop2")).st_mode));
    }

    void hardLinkedFileIsWrittenInPlace() {
        const std::string path = Path("shared.cir");
        WriteAll(path, "old\r\n");
        QCOMPARE(::link(path.c_str(), Path("other-name.cir").c_str()), 0);
        const ino_t inode = Stat(path).st_ino;
        QCOMPARE(Save(path, "new\r\n"), 0);
        QCOMPARE(ReadAll(Path("other-name.cir")), std::string("new\r\n"));
        QCOMPARE(Stat(path).st_ino, inode);
        QCOMPARE(Stat(path).st_nlink, nlink_t(2));
        QVERIFY(Leftovers(dir.path().toStdString()).isEmpty());
    }

    // The limit binds even root; the signal it raises is at its default here, so a save
    // that let it through would end this test.
    void writeFailingInPlacePutsTheOldBytesBack() {
        const std::string path = Path("limited.cir");
        WriteAll(path, "old\r\n");
        QCOMPARE(::link(path.c_str(), Path("limited-link.cir").c_str()), 0);
        ::signal(SIGXFSZ, SIG_DFL);
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const int error = Save(path, std::string(5000, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(error, EFBIG);
        QCOMPARE(ReadAll(path), std::string("old\r\n"));
        QCOMPARE(ReadAll(Path("limited-link.cir")), std::string("old\r\n"));
        QVERIFY(Leftovers(dir.path().toStdString()).isEmpty());
        struct sigaction now {};
        ::sigaction(SIGXFSZ, nullptr, &now);
        QVERIFY(now.sa_handler == SIG_DFL); // given back as it was
    }

    // The old bytes fit no more under the limit: they stay in the backup, which is named.
    void oldBytesThatCannotBePutBackStayInTheNamedBackup() {
        const std::string path = Path("shrunk.cir");
        const std::string old(3000, 'o');
        WriteAll(path, old);
        QCOMPARE(::link(path.c_str(), Path("shrunk-link.cir").c_str()), 0);
        ::signal(SIGXFSZ, SIG_DFL);
        struct rlimit before {};
        ::getrlimit(RLIMIT_FSIZE, &before);
        std::string kept;
        int error = 0;
        {
            CAtomicSaveFile file(path); // the backup is made under no limit
            struct rlimit small = before;
            small.rlim_cur = 1000;
            ::setrlimit(RLIMIT_FSIZE, &small);
            try {
                file.Write(std::string(5000, 'n').data(), 5000);
            } catch (const CFileException& failure) {
                error = failure.Error();
            }
            kept = file.Abandon();
            ::setrlimit(RLIMIT_FSIZE, &before);
        }
        QCOMPARE(error, EFBIG);
        QVERIFY(!kept.empty());
        QCOMPARE(ReadAll(kept), old);
        ::unlink(kept.c_str());
        QVERIFY(Leftovers(dir.path().toStdString()).isEmpty());
    }

    void abandonedSaveLeavesTheOldFile() {
        const std::string path = Path("abandoned.cir");
        WriteAll(path, "old\r\n");
        QCOMPARE(::link(path.c_str(), Path("abandoned-link.cir").c_str()), 0);
        {
            CAtomicSaveFile inPlace(path);
            inPlace.Write("new", 3);
            QCOMPARE(inPlace.Abandon(), std::string());
            QCOMPARE(inPlace.Abandon(), std::string()); // once is enough
        }
        QCOMPARE(ReadAll(path), std::string("old\r\n"));
        {
            CAtomicSaveFile renamed(Path("fresh.cir"));
            renamed.Write("new", 3);
            QCOMPARE(renamed.Abandon(), std::string());
        }
        QCOMPARE(ReadAll(Path("fresh.cir")), std::string("<missing>"));
        QVERIFY(Leftovers(dir.path().toStdString()).isEmpty());
    }

    // Another user saves root's writable file where no new file of root's can be made.
    void fileThatANewFileCannotReplaceIsWrittenInPlace_data() {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("cacheWritable");
        QTest::addColumn<int>("error");
        QTest::newRow("read-only folder") << 0555 << true << 0;
        QTest::newRow("sticky folder") << 01777 << true << 0;
        QTest::newRow("owner cannot be kept") << 0777 << true << 0;
        QTest::newRow("no room for a backup") << 0555 << false << EACCES;
    }

    void fileThatANewFileCannotReplaceIsWrittenInPlace() {
        QFETCH(int, folderMode);
        QFETCH(bool, cacheWritable);
        QFETCH(int, error);
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        QTemporaryDir place;
        const std::string folder = place.filePath("folder").toStdString();
        const std::string cache = place.filePath("cache").toStdString();
        const std::string path = folder + "/root.cir";
        QCOMPARE(::mkdir(folder.c_str(), 0755), 0);
        QCOMPARE(::mkdir(cache.c_str(), 0755), 0);
        WriteAll(path, "old\r\n");
        QCOMPARE(::chmod(path.c_str(), 0666), 0);
        QCOMPARE(::chmod(folder.c_str(), mode_t(folderMode)), 0);
        QCOMPARE(::chmod(cache.c_str(), cacheWritable ? 0777 : 0555), 0);
        QCOMPARE(::chmod(place.path().toLocal8Bit().constData(), 0755), 0);
        const ino_t inode = Stat(path).st_ino;

        QCOMPARE(SaveAsNobody(path, "new\r\n", cache), error);
        QCOMPARE(ReadAll(path), std::string(error == 0 ? "new\r\n" : "old\r\n"));
        QCOMPARE(Stat(path).st_ino, inode);
        QCOMPARE(Stat(path).st_uid, uid_t(0));
        QCOMPARE(int(Stat(path).st_mode & 07777), 0666);
        QVERIFY(Leftovers(folder).isEmpty());
        QVERIFY(Leftovers(cache + "/kelvo").isEmpty());
        ::chmod(folder.c_str(), 0755);
    }

    // The system clears the set-ID bits when anyone but root writes a file; its owner, who
    // writes it in place (no new file can be made in its folder), keeps them all the same.
    void setIdBitsSurviveASaveInPlace_data() {
        QTest::addColumn<bool>("failing");
        QTest::newRow("written") << false;
        QTest::newRow("put back after a failed write") << true;
    }

    void setIdBitsSurviveASaveInPlace() {
        QFETCH(bool, failing);
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        QTemporaryDir place;
        const std::string folder = place.filePath("folder").toStdString();
        const std::string cache = place.filePath("cache").toStdString();
        const std::string path = folder + "/tool.sh";
        QCOMPARE(::mkdir(folder.c_str(), 0755), 0);
        QCOMPARE(::mkdir(cache.c_str(), 0777), 0);
        QCOMPARE(::chmod(cache.c_str(), 0777), 0);
        QCOMPARE(::chmod(place.path().toLocal8Bit().constData(), 0755), 0);
        WriteAll(path, "old\n");
        QCOMPARE(::chown(path.c_str(), kNobody, kNobody), 0);
        QCOMPARE(::chmod(path.c_str(), 06755), 0);

        QCOMPARE(SaveAsNobody(path, failing ? std::string(5000, 'x') : "new\n", cache,
                              failing ? 100 : 0),
                 failing ? EFBIG : 0);
        QCOMPARE(ReadAll(path), std::string(failing ? "old\n" : "new\n"));
        QCOMPARE(int(Stat(path).st_mode & 07777), 06755);
        QVERIFY(Leftovers(cache + "/kelvo").isEmpty());
    }

    // The owner saves through a new file beside the old one (its folder takes new files):
    // a write by anyone but root would clear the bits on a new file whose mode came first.
    void savesKeepSetIdBitsForOrdinaryUsers_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("set-user-ID") << 04755;
        QTest::newRow("set-group-ID") << 02755;
        QTest::newRow("set-group-ID, group may write") << 02775;
        QTest::newRow("both, sticky") << 07750;
    }

    void savesKeepSetIdBitsForOrdinaryUsers() {
        QFETCH(int, mode);
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        QTemporaryDir place;
        const std::string folder = place.filePath("folder").toStdString();
        const std::string path = folder + "/tool.sh";
        QCOMPARE(::mkdir(folder.c_str(), 0755), 0);
        QCOMPARE(::chown(folder.c_str(), kNobody, kNobody), 0);
        QCOMPARE(::chmod(place.path().toLocal8Bit().constData(), 0755), 0);
        WriteAll(path, "old\n");
        QCOMPARE(::chown(path.c_str(), kNobody, kNobody), 0);
        QCOMPARE(::chmod(path.c_str(), mode_t(mode)), 0);
        const ino_t inode = Stat(path).st_ino;

        QCOMPARE(SaveAsNobody(path, std::string(70000, 'n'), folder), 0);
        QCOMPARE(ReadAll(path), std::string(70000, 'n'));
        QVERIFY(Stat(path).st_ino != inode); // renamed over the old one, not written in place
        QCOMPARE(int(Stat(path).st_mode & 07777), mode);
        QCOMPARE(Stat(path).st_uid, kNobody);
        QCOMPARE(Stat(path).st_gid, gid_t(kNobody));
        QVERIFY(Leftovers(folder).isEmpty());
    }

    void newFileTakesTheUsualMode() {
        const mode_t mask = ::umask(022);
        QCOMPARE(Save(Path("fresh.cir"), "\r\n"), 0);
        ::umask(mask);
        QCOMPARE(int(Stat(Path("fresh.cir")).st_mode & 07777), 0644);
        QCOMPARE(ReadAll(Path("fresh.cir")), std::string("\r\n"));
    }
};

QTEST_GUILESS_MAIN(SaveFileTest)
#include "tst_savefile.moc"
