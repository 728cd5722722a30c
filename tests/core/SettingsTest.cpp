// The settings file where Linux alone decides: the user's configuration folder, file modes,
// users, resource limits and FIFOs.
#include "SettingsFixture.h"

#include "core/ProgramDirectory.h"
#include "core/Settings.h"
#include "core/UserFiles.h"
#include "tests/support/OrdinaryUser.h"

#include <QDateTime>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void SetMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

} // namespace

TEST(SettingsLocation, TheUsersConfigurationFolderWhereTheProgramsFolderIsASystemOne)
{
    const QTemporaryDir writable;
    const ScopedVariable home("HOME", "/home/technik");
    struct Case {
        const char* configHome;
        QString programDirectory;
        QString expected;
    };
    const Case cases[] = {
        {"/cfg", writable.path(), writable.path()},
        // Root may write there, but nothing writes below /usr while programs run.
        {"/cfg", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/cfg/serkon")},
        {"/cfg/", QStringLiteral("/usr"), QStringLiteral("/cfg/serkon")},
        {"", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/home/technik/.config/serkon")},
        {"relative/cfg", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/home/technik/.config/serkon")},
        // Qt's resource prefix is no folder, nor a name the program cannot give (not UTF-8).
        {":cfg", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/home/technik/.config/serkon")},
        {"/cfg\xE9", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/home/technik/.config/serkon")},
        {"/cf\xC3\xA9g", QStringLiteral("/usr/lib/serkon"), QStringLiteral("/cfég/serkon")},
        {nullptr, QStringLiteral("/usr/local/lib/serkon"), QStringLiteral("/home/technik/.config/serkon")},
        {"/cfg", QString(), QString()},
    };
    for (const Case& test : cases) {
        const ScopedVariable configHome("XDG_CONFIG_HOME", test.configHome);
        EXPECT_EQ(UserFilesDirectoryFor(test.programDirectory), test.expected)
            << test.programDirectory.toStdString() << " " << (test.configHome ? test.configHome : "unset");
    }
}

TEST(SettingsLocation, AReadOnlyProgramFolderKeepsTheSettingsInTheUsersFolder)
{
    const QTemporaryDir base;
    SetMode(base.path(), 0755);
    const QString program = base.filePath("program");
    const QString home = base.filePath("home");
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(home));
    SetMode(home, 0777);
    const QByteArray shipped = Cp("; dodáno s programem\n[Připojení]\nRozhraní=RVD-773\nAdresa=5\n"
                                  "[RVD-773]\nIP adresa=10.0.0.7\n");
    {
        QFile file(program + "/SERKON.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(shipped);
    }
    SetMode(program + "/SERKON.ini", 0444);
    SetMode(program, 0555);
    const QString stored = home + "/.config/serkon/SERKON.ini";

    // In a child process, as an ordinary user: root may write into any folder.
    const auto runAsAnOrdinaryUser = [&] {
        BecomeAnOrdinaryUser();
        ::setenv("HOME", QFile::encodeName(home).constData(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        SetProgramDirectory(program);
        TData record;
        InitData(record);
        if (SettingsFilePath() != stored || SettingsSourcePath() != program + "/SERKON.ini")
            std::_Exit(10);
        if (!LoadSettings(&record) || record.InterfaceType != InterfaceLan || record.ModuleAddress != 5)
            std::_Exit(11);  // the shipped file gives the first values
        record.ModuleAddress = 9;
        QString failure;
        if (!SaveSettings(&record, &failure)) {
            std::fprintf(stderr, "%s\n", failure.toUtf8().constData());
            std::_Exit(12);
        }
        if (SettingsSourcePath() != stored)
            std::_Exit(13);  // from now on the user's own file
        struct stat folder {};
        if (::stat(QFile::encodeName(home + "/.config/serkon").constData(), &folder) != 0
            || (folder.st_mode & 0777) != 0700)
            std::_Exit(14);
        // An unreadable file of the user's is not replaced by one made from the shipped file.
        ::chmod(QFile::encodeName(stored).constData(), 0);
        if (SaveSettings(&record))
            std::_Exit(15);
        ::chmod(QFile::encodeName(stored).constData(), 0600);
        std::_Exit(0);
    };
    EXPECT_EXIT(runAsAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");

    QFile file(stored);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), Cp("; dodáno s programem\n[Připojení]\nRozhraní=RVD-773\nAdresa=9\n"
                                 "Rychlost=9600\n[RVD-773]\nIP adresa=10.0.0.7\nUDP port=5000\n"
                                 "UDP timeout=100\n"));
    SetMode(program, 0755);
    QFile shippedFile(program + "/SERKON.ini");
    ASSERT_TRUE(shippedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(shippedFile.readAll(), shipped);
    EXPECT_EQ(QDir(program).entryList(QDir::Files | QDir::Hidden), QStringList{"SERKON.ini"});
}

TEST(SettingsLocation, IsBesideTheExecutableNotTheWorkingDirectory)
{
    const QString executableDir = QFileInfo("/proc/self/exe").canonicalPath();
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(SettingsFilePath(), executableDir + "/SERKON.ini");

    const QTemporaryDir elsewhere;
    SetProgramDirectory(elsewhere.path());
    EXPECT_EQ(SettingsFilePath(), elsewhere.filePath("SERKON.ini"));
    SetProgramDirectory({});
    EXPECT_EQ(SettingsFilePath(), executableDir + "/SERKON.ini");
}

TEST_F(SettingsFile, AFullDiskDuringTheSaveLeavesTheOldFile)
{
    QByteArray before = Cp("[Připojení]\nRozhraní=RVC-772\n");
    before += "; " + QByteArray(200, 'x') + "\n";
    Write(before);

    // Writes beyond the limit fail as on a full disk.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit small = original;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString failure;
    const bool saved = SaveSettingsTo(path, &data, &failure);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"SERKON.ini"});
}

TEST_F(SettingsFile, AnUnreadableFileIsNeitherLoadedNorWrittenOver)
{
    const QByteArray before = Cp("[Připojení]\nRozhraní=RVD-773\n; mine\n[Jiné]\nx=1\n");
    Write(before);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    // The directory stays writable, so nothing but the unreadable file stops a save.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);

    // In a child process, so that giving up root stays there.
    const auto loadAndSaveAsAnOrdinaryUser = [this] {
        BecomeAnOrdinaryUser();
        TData record;
        InitData(record);
        record.ComPort = 7;
        const bool loaded = LoadSettingsFrom(path, &record);
        QString failure;
        const bool saved = SaveSettingsTo(path, &record, &failure);
        std::fprintf(stderr, "%s\n", failure.toUtf8().constData());
        std::exit(loaded ? 1 : saved ? 2 : record.ComPort != 7 ? 3 : 0);
    };
    EXPECT_EXIT(loadAndSaveAsAnOrdinaryUser(), ::testing::ExitedWithCode(0),
                "Nelze p.*soubor .*SERKON\\.ini: ");

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(FilesInDir(), QStringList{"SERKON.ini"});
}

TEST_F(SettingsFile, ANameThatIsNoRegularFileIsLeftAlone)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    data.ComPort = 7;
    EXPECT_FALSE(LoadSettingsFrom(path, &data)); // and does not wait for a writer
    EXPECT_EQ(data.ComPort, 7);
    QString failure;
    EXPECT_FALSE(SaveSettingsTo(path, &data, &failure));
    EXPECT_TRUE(failure.contains(path)) << failure.toStdString();
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    const QString folder = dir.filePath("folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(LoadSettingsFrom(folder, &data));
    EXPECT_EQ(data.ComPort, 7);
}

TEST_F(SettingsFile, ASaveKilledMidWriteLeavesTheOldFileWhole)
{
    QByteArray before = Cp("[Připojení]\nRozhraní=RVC-772\nAdresa=5\n");
    before += "; " + QByteArray(300, 'x') + "\n";
    Write(before);
    data.InterfaceType = InterfaceLan;

    // The file size limit kills the saving process at its first write past 64 bytes, as a
    // crash or a power cut would stop it.
    const auto saveUnderASmallLimit = [this] {
        const rlimit small{64, 64};
        std::signal(SIGXFSZ, SIG_DFL);
        setrlimit(RLIMIT_FSIZE, &small);
        SaveSettingsTo(path, &data);
        std::exit(0);
    };
    EXPECT_EXIT(saveUnderASmallLimit(), ::testing::KilledBySignal(SIGXFSZ), "");

    EXPECT_EQ(Read(), before);
    TData loaded;
    InitData(loaded);
    ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
    EXPECT_EQ(loaded.InterfaceType, InterfaceUsb);
    EXPECT_EQ(loaded.ModuleAddress, 5);

    // What the killed save left is its temporary file, which a later save clears away once it
    // is old (SettingsFileTest.cpp has the names that stay).
    const QStringList left = FilesInDir();
    ASSERT_EQ(left.size(), 2) << left.join(' ').toStdString();
    const QString temporary = left.contains("SERKON.ini") ? left[left[0] == "SERKON.ini" ? 1 : 0]
                                                          : QString();
    EXPECT_TRUE(temporary.startsWith("SERKON.ini.") && temporary.endsWith(".tmp"))
        << temporary.toStdString();
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_TRUE(FilesInDir().contains(temporary)) << "removed while it may still be in use";
    QFile leftover(dir.filePath(temporary));
    ASSERT_TRUE(leftover.open(QIODevice::ReadWrite));
    ASSERT_TRUE(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    leftover.close();
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(FilesInDir(), QStringList{"SERKON.ini"});
    ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
    EXPECT_EQ(loaded.InterfaceType, InterfaceLan);
}
