// The settings file on Windows: what a new file looks like, and what other programs that hold it
// open, or its read-only attribute, do to a save and a load.
#include "SettingsFixture.h"

#include "core/ReadFile.h"
#include "core/Settings.h"

#include <windows.h>

namespace {

// The file opened by another program, sharing it as `share` says, while the object lives.
class HeldOpen {
public:
    HeldOpen(const QString& path, DWORD share)
        : handle_(CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ,
                              share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeldOpen()
    {
        if (IsOpen())
            CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    QByteArray ReadAll() const
    {
        char buffer[4096];
        DWORD count = 0;
        if (!ReadFile(handle_, buffer, sizeof buffer, &count, nullptr))
            return {};
        return QByteArray(buffer, qsizetype(count));
    }

private:
    HANDLE handle_;
};

bool SetAttributes(const QString& path, DWORD attributes)
{
    return SetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str(), attributes);
}

} // namespace

TEST_F(SettingsFile, ANewFileIsWindows1250WithCrLfLineEnds)
{
    data.InterfaceType = InterfaceIsa;
    data.BaseAddress = 0x2A0;
    ASSERT_TRUE(SaveSettingsTo(path, &data));
    EXPECT_EQ(Read(), QByteArray("[P\xF8ipojen\xED]\r\nRozhran\xED=RVA-770\r\nAdresa=0\r\nRychlost=9600\r\n"
                                 "\r\n[RVA-770]\r\nB\xE1zov\xE1 adresa=672\r\n"));
}

TEST_F(SettingsFile, AFileHeldOpenByAnotherProgramIsNeitherLostNorTakenForMissing)
{
    const QByteArray before = Cp("[Připojení]\r\nRozhraní=RVC-772\r\n; mine\r\n");
    struct Case {
        DWORD share;
        const char* failure;  // the start of the message
    };
    // Held without leave to replace it, the file cannot be renamed away; held without leave to
    // read it, it cannot be loaded, and a save that cannot load it does not write over it.
    const Case cases[] = {
        {FILE_SHARE_READ | FILE_SHARE_WRITE, "Nelze zapsat soubor "},
        {0, "Nelze přečíst soubor "},
    };
    for (const Case& test : cases) {
        Write(before);
        {
            const HeldOpen other(path, test.share);
            ASSERT_TRUE(other.IsOpen());
            QString failure;
            EXPECT_FALSE(SaveSettingsTo(path, &data, &failure));
            const QString start = QString::fromUtf8(test.failure) + path + QStringLiteral(": ");
            EXPECT_TRUE(failure.startsWith(start) && failure.size() > start.size())
                << failure.toStdString();
        }
        EXPECT_EQ(Read(), before);
        EXPECT_EQ(FilesInDir(), QStringList{"SERKON.ini"});
    }
}

TEST_F(SettingsFile, AReaderThatAllowsReplacingKeepsReadingTheOldFile)
{
    const QByteArray before = Cp("[Připojení]\r\nRozhraní=RVC-772\r\n");
    Write(before);
    {
        const HeldOpen reader(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(reader.IsOpen());
        QString failure;
        ASSERT_TRUE(SaveSettingsTo(path, &data, &failure)) << failure.toStdString();
        EXPECT_EQ(reader.ReadAll(), before);
    }
    EXPECT_TRUE(Read().startsWith(Cp("[Připojení]\r\nRozhraní=COMx\r\n")));
    EXPECT_EQ(FilesInDir(), QStringList{"SERKON.ini"});
}

TEST_F(SettingsFile, AReadOnlyFileIsLeftAsItIs)
{
    // Unlike a file's mode on Linux, the attribute forbids replacing the file too.
    const QByteArray before = Cp("[Připojení]\r\nRozhraní=RVC-772\r\n");
    Write(before);
    ASSERT_TRUE(SetAttributes(path, FILE_ATTRIBUTE_READONLY));
    QString failure;
    EXPECT_FALSE(SaveSettingsTo(path, &data, &failure));
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Nelze zapsat soubor ") + path))
        << failure.toStdString();
    ASSERT_TRUE(SetAttributes(path, FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(FilesInDir(), QStringList{"SERKON.ini"});
}

TEST(ReadWholeFileWindows, OnlyARegularFileIsRead)
{
    const QTemporaryDir dir;
    struct Case {
        QString path;
        FileRead expected;
        const char* reason;  // part of the failure's text
    };
    const Case cases[] = {
        {dir.filePath("missing.ini"), FileRead::Missing, ""},
        {dir.filePath("missing/SERKON.ini"), FileRead::Missing, ""},
        {dir.path(), FileRead::Failed, ""},
        {QStringLiteral("NUL"), FileRead::Failed, "není to obyčejný soubor"},
        {QStringLiteral("\\\\.\\NUL"), FileRead::Failed, "není to obyčejný soubor"},
    };
    for (const Case& test : cases) {
        QByteArray bytes("left over");
        QString failure;
        EXPECT_EQ(ReadWholeFile(test.path, bytes, &failure), test.expected) << test.path.toStdString();
        EXPECT_TRUE(bytes.isEmpty());
        EXPECT_EQ(failure.isEmpty(), test.expected == FileRead::Missing) << failure.toStdString();
        EXPECT_TRUE(failure.contains(QString::fromUtf8(test.reason))) << failure.toStdString();
    }
}
