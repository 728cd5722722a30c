// The settings file on every platform: what is stored, what is kept, what a failed save leaves.
#include "SettingsFixture.h"

#include "core/LineEnd.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QFileInfo>

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
                         "[COMx]\nČíslo portu=1\n").replace("\n", PlatformLineEnd()));
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

TEST_F(SettingsFile, AFileFromEitherPlatformLoadsAndKeepsItsLineEnds)
{
    // What the Windows build writes (CRLF) and what the Linux build writes (LF), on either.
    for (const char* lineEnd : {"\r\n", "\n"}) {
        const auto text = [lineEnd](const char* utf8) { return Cp(utf8).replace("\n", lineEnd); };
        Write(text("[Připojení]\nRozhraní=RVD-773\nAdresa=12\nRychlost=19200\n\n"
                   "[RVD-773]\nIP adresa=10.0.0.7\nUDP port=6000\nUDP timeout=250\n"));
        InitData(data);
        ASSERT_TRUE(LoadSettingsFrom(path, &data));
        EXPECT_EQ(data.InterfaceType, InterfaceLan);
        EXPECT_EQ(data.IpAddress, QStringLiteral("10.0.0.7"));
        data.InterfaceType = InterfaceCom;
        data.ComPort = 4;
        ASSERT_TRUE(SaveSettingsTo(path, &data));
        EXPECT_EQ(Read(), text("[Připojení]\nRozhraní=COMx\nAdresa=12\nRychlost=19200\n\n"
                               "[RVD-773]\nIP adresa=10.0.0.7\nUDP port=6000\nUDP timeout=250\n\n"
                               "[COMx]\nČíslo portu=4\n"));
    }
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

TEST_F(SettingsFile, ASaveClearsAwayOnlyOldTemporaryFilesOfItsOwn)
{
    // What a save cut short leaves is "SERKON.ini.<6 letters or digits>.tmp". A fresh one may
    // belong to another copy of the program saving now; files of the user's that merely look
    // alike are never touched.
    const QString old = "SERKON.ini.Ab3dE9.tmp";
    for (const QString& name : {old, QString("SERKON.ini.Fresh1.tmp"), QString("SERKON.ini.backup"),
                                QString("SERKON.ini.abcdef.tmp~"), QString("SERKON.ini.abc.tmp"),
                                QString("SERKON.ini.ab-def.tmp"), QString("other.ini.Ab3dE9.tmp")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (name.startsWith("other") || name == old) {
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                         QFileDevice::FileModificationTime));
        }
    }
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(FilesInDir(), (QStringList{"other.ini.Ab3dE9.tmp", "SERKON.ini", "SERKON.ini.ab-def.tmp",
                                         "SERKON.ini.abc.tmp", "SERKON.ini.abcdef.tmp~",
                                         "SERKON.ini.backup", "SERKON.ini.Fresh1.tmp"}));
}
