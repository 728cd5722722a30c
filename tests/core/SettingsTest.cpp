#include "core/Settings.h"

#include "core/Cp1250.h"
#include "core/ProgramDirectory.h"
#include "core/UserFiles.h"
#include "tests/support/OrdinaryUser.h"

#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Cp(const char* utf8)
{
    return EncodeCp1250(QString::fromUtf8(utf8));
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("SERKON.ini");
        InitData(data);
    }

    void Write(const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray Read() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList FilesInDir() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    QString path;
    TData data;
};

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

TEST_F(SettingsFile, NoRecordFailsBothWays)
{
    EXPECT_FALSE(LoadSettingsFrom(path, nullptr));
    EXPECT_FALSE(SaveSettingsTo(path, nullptr));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SettingsFile, MissingFileOrInterfaceLeavesTheDefaults)
{
    TData defaults = data;
    EXPECT_FALSE(LoadSettingsFrom(path, &data));
    Write(Cp("[Připojení]\nAdresa=5\n[COMx]\nČíslo portu=3\n"));
    EXPECT_FALSE(LoadSettingsFrom(path, &data));
    Write(Cp("[Připojení]\nRozhraní=jkl\nAdresa=5\n"));
    EXPECT_FALSE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.ModuleAddress, defaults.ModuleAddress);
    EXPECT_EQ(data.ComPort, defaults.ComPort);
}

TEST_F(SettingsFile, WrittenFromScratchForTheDefaultRecord)
{
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(Read(), Cp("[Připojení]\nRozhraní=COMx\nAdresa=0\nRychlost=9600\n\n"
                         "[COMx]\nČíslo portu=1\n"));
}

TEST_F(SettingsFile, LanConverterLoadsWithTheOtherSections)
{
    Write(Cp("[Připojení]\r\nRozhraní=RVD-773\r\nAdresa=12\r\nRychlost=19200\r\n"
             "[RVD-773]\r\nIP adresa=10.0.0.7\r\nUDP port=6000\r\nUDP timeout=250\r\n"
             "[COMx]\r\nČíslo portu=3\r\n"));
    ASSERT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.InterfaceType, InterfaceLan);
    EXPECT_EQ(data.ModuleAddress, 12);
    EXPECT_EQ(data.Speed, 19200u);
    EXPECT_EQ(data.IpAddress, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(data.UdpPort, 6000);
    EXPECT_EQ(data.UdpTimeout, 250);
    EXPECT_EQ(data.ComPort, 3);
}

TEST_F(SettingsFile, InterfaceNamesCompareExactly)
{
    for (const char* name : {"comx", "RVB", "", "RVD-773 x"}) {
        InitData(data);
        Write(Cp("[Připojení]\nRozhraní=") + name + Cp("\nAdresa=9\n[RVA-770]\nBázová adresa=$2A0\n"));
        EXPECT_TRUE(LoadSettingsFrom(path, &data)) << name;
        EXPECT_EQ(data.InterfaceType, 0) << name;
        EXPECT_EQ(data.ModuleAddress, 9) << name;
        EXPECT_EQ(data.BaseAddress, 0x2A0) << name;
    }
    Write(Cp("[Připojení]\nRozhraní=RVC-772\n"));
    ASSERT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.InterfaceType, InterfaceUsb);
}

TEST_F(SettingsFile, NarrowFieldsKeepTheLowOrderBits)
{
    Write(Cp("[PŘIPOJENÍ]\nROZHRANÍ=RVA-770\nadresa=300\nrychlost=123\n"
             "[rva-770]\nbázová adresa=0x300\n[COMx]\nČÍSLO PORTU=0x1FF\n"));
    ASSERT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.InterfaceType, InterfaceIsa);
    EXPECT_EQ(data.ModuleAddress, 44);
    EXPECT_EQ(data.Speed, 123u);
    EXPECT_EQ(data.BaseAddress, 768);
    EXPECT_EQ(data.ComPort, 0xFF);

    Write(Cp("[Připojení]\nRozhraní=RVA-770\n[RVA-770]\nBázová adresa=70000\n"));
    ASSERT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.BaseAddress, 70000 % 65536);
}

TEST_F(SettingsFile, UnparsableValuesKeepTheFields)
{
    Write(Cp("[Připojení]\nRozhraní=COMx\nAdresa=abc\nRychlost=\n"
             "[RVD-773]\nUDP port=12.5\nUDP timeout=0x\nIP adresa=\n"));
    ASSERT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.ModuleAddress, 0);
    EXPECT_EQ(data.Speed, 9600u);
    EXPECT_EQ(data.UdpPort, 5000);
    EXPECT_EQ(data.UdpTimeout, 100);
    EXPECT_EQ(data.IpAddress, QString()); // an empty text is a text
}

TEST_F(SettingsFile, SavingChangesOnlyTheValuesItWrites)
{
    const QByteArray before = Cp("; SERKON\r\n[RVA-770]\r\nBázová adresa=672\r\n\r\n"
                                 "[Připojení]\r\nRozhraní=COMx\r\nneznámý=ano\r\n"
                                 "Adresa = 3\r\n; konec\r\n\r\n[Jiné]\r\nx=1\r\n");
    Write(before);
    data.InterfaceType = InterfacePci;
    data.ModuleAddress = 7;
    data.Speed = 115200;
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(Read(), Cp("; SERKON\r\n[RVA-770]\r\nBázová adresa=672\r\n\r\n"
                         "[Připojení]\r\nRozhraní=RVB-771\r\nneznámý=ano\r\n"
                         "Adresa = 7\r\n; konec\r\nRychlost=115200\r\n\r\n[Jiné]\r\nx=1\r\n"));
}

TEST_F(SettingsFile, TypesBeyondTheListAreStoredAsTheComPort)
{
    data.InterfaceType = 9;
    data.ComPort = 4;
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    TData loaded;
    InitData(loaded);
    ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
    EXPECT_EQ(loaded.InterfaceType, InterfaceCom);
    EXPECT_EQ(loaded.ComPort, 4);
}

TEST_F(SettingsFile, EveryInterfaceRoundTrips)
{
    data.BaseAddress = 0x2A0;
    data.IpAddress = QStringLiteral("  10.1.2.3 ");
    data.UdpPort = 65535;
    data.UdpTimeout = 0;
    data.Speed = 4800;
    for (uint8_t type = 0; type < InterfaceTypeCount; ++type) {
        data.InterfaceType = type;
        data.ModuleAddress = uint8_t(type + 200);
        ASSERT_TRUE(SaveSettingsTo(path, &data));
        TData loaded;
        InitData(loaded);
        ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
        EXPECT_EQ(loaded.InterfaceType, type);
        EXPECT_EQ(loaded.ModuleAddress, data.ModuleAddress);
        EXPECT_EQ(loaded.Speed, 4800u);
    }
    TData loaded;
    InitData(loaded);
    ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
    EXPECT_EQ(loaded.BaseAddress, 0x2A0);
    EXPECT_EQ(loaded.IpAddress, data.IpAddress);
    EXPECT_EQ(loaded.UdpPort, 65535);
    EXPECT_EQ(loaded.UdpTimeout, 0);
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFileAndSaysWhy)
{
    const QByteArray before = Cp("[Připojení]\nRozhraní=RVC-772\n");
    Write(before);

    // A file that stands where the directory should be.
    QString failure;
    EXPECT_FALSE(SaveSettingsTo(path + "/SERKON.ini", &data, &failure));
    EXPECT_FALSE(failure.isEmpty());

    // The settings path is taken by a directory.
    const QString taken = dir.filePath("taken");
    ASSERT_TRUE(QDir().mkpath(taken));
    failure.clear();
    EXPECT_FALSE(SaveSettingsTo(taken, &data, &failure));
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_TRUE(QFileInfo(taken).isDir());

    EXPECT_EQ(Read(), before);
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

TEST_F(SettingsFile, LoadingSurvivesHostileFiles)
{
    QByteArray hostile("\xEF\xBB\xBF");
    hostile += QByteArray(3 << 20, '\xFF');
    hostile += "\r\n[Připojení]\nRozhraní=" + QByteArray(5000, 'R') + "\n=\n[\n]\n";
    hostile += QByteArray("\0\0\0", 3);
    Write(hostile);
    ASSERT_EQ(Read().right(4), QByteArray("\n\0\0\0", 4));
    EXPECT_TRUE(LoadSettingsFrom(path, &data));
    EXPECT_EQ(data.InterfaceType, 0);
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    const QByteArray saved = Read();
    EXPECT_TRUE(saved.startsWith(hostile.left(1000)));
    // The binary line is kept; it gets the file's line end (CRLF, the first one) when keys are
    // appended after it.
    EXPECT_TRUE(saved.contains(QByteArray("]\n\0\0\0\r\nAdresa=0\r\n", 17)));
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

TEST_F(SettingsFile, NoPathNoFile)
{
    // An unknown program directory gives no path; nothing may land in the working directory.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QString failure;
    EXPECT_FALSE(SaveSettingsTo(QString(), &data, &failure));
    EXPECT_TRUE(failure.contains(QStringLiteral("složku programu"))) << failure.toStdString();
    EXPECT_FALSE(LoadSettingsFrom(QString(), &data));
    QDir::setCurrent(previous);
    EXPECT_TRUE(FilesInDir().isEmpty()) << FilesInDir().join(' ').toStdString();
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
    // is old; a fresh one (another copy of the program saving now) and files of the user's that
    // merely look alike stay.
    const QStringList left = FilesInDir();
    ASSERT_EQ(left.size(), 2) << left.join(' ').toStdString();
    const QString temporary = left.contains("SERKON.ini") ? left[left[0] == "SERKON.ini" ? 1 : 0]
                                                          : QString();
    EXPECT_TRUE(temporary.startsWith("SERKON.ini.") && temporary.endsWith(".tmp"))
        << temporary.toStdString();
    for (const char* name : {"SERKON.ini.backup", "SERKON.ini.abcdef.tmp~", "SERKON.ini.abc.tmp",
                             "SERKON.ini.Fresh1.tmp"}) {
        QFile keep(dir.filePath(name));
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_TRUE(FilesInDir().contains(temporary)) << "removed while it may still be in use";
    QFile leftover(dir.filePath(temporary));
    ASSERT_TRUE(leftover.open(QIODevice::ReadWrite));
    ASSERT_TRUE(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    leftover.close();
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(FilesInDir(), (QStringList{"SERKON.ini", "SERKON.ini.abc.tmp", "SERKON.ini.abcdef.tmp~",
                                         "SERKON.ini.backup", "SERKON.ini.Fresh1.tmp"}));
    ASSERT_TRUE(LoadSettingsFrom(path, &loaded));
    EXPECT_EQ(loaded.InterfaceType, InterfaceLan);
}
