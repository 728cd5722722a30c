// Where the settings file lies on Windows: beside the program where the user may add a file to
// its folder, otherwise in the roaming application data; and making that folder.
#include "core/UserFiles.h"

#include "tests/support/ReadOnlyFolderWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString FromVariable(const char* name)
{
    return QDir::fromNativeSeparators(qEnvironmentVariable(name));
}

} // namespace

TEST(UserFilesWindows, BesideAWritableProgramFolderOtherwiseInTheApplicationData)
{
    const QTemporaryDir base;
    const QString writable = base.filePath(QStringLiteral("Měření"));
    ASSERT_TRUE(QDir().mkpath(writable));
    QFile file(base.filePath(QStringLiteral("a file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const ReadOnlyFolder readOnly;
    ASSERT_FALSE(readOnly.Path().isEmpty());
    // Windows sets the variable from the same known folder when the user logs on.
    const QString applicationData = FromVariable("APPDATA") + QStringLiteral("/SERKON");
    ASSERT_TRUE(QFileInfo(applicationData).isAbsolute()) << applicationData.toStdString();
    const QString programFiles = FromVariable("ProgramFiles");
    ASSERT_FALSE(programFiles.isEmpty());

    struct Case {
        QString programDirectory;
        QString expected;
    };
    const Case cases[] = {
        {writable, writable},
        {QDir::toNativeSeparators(writable), QDir::toNativeSeparators(writable)},
        {readOnly.Path(), applicationData},
        {base.filePath(QStringLiteral("missing")), applicationData},
        {file.fileName(), applicationData},
        // Never, even where an administrator may write: the Program Files folders, in any
        // letter case and either separator.
        {programFiles, applicationData},
        {programFiles + QStringLiteral("/SERKON"), applicationData},
        {QDir::toNativeSeparators(programFiles.toLower()) + QStringLiteral("\\Common Files\\"),
         applicationData},
        {FromVariable("ProgramFiles(x86)"), applicationData},
        {QString(), QString()},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(UserFilesDirectoryFor(test.programDirectory).toStdString(),
                  test.expected.toStdString())
            << test.programDirectory.toStdString();
    }
}

TEST(UserFilesWindows, TheFolderIsMadeLevelByLevel)
{
    const QTemporaryDir base;
    const QString folder = base.filePath(QStringLiteral("Uživatel/Data aplikací/SERKON"));
    QString failure;
    ASSERT_TRUE(MakeUserFilesDirectory(folder, &failure)) << failure.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // Again, when it is there already, and with the system's separators.
    EXPECT_TRUE(MakeUserFilesDirectory(QDir::toNativeSeparators(folder), &failure));

    // A file where a level should be: the message names that level.
    const QString blocked = base.filePath(QStringLiteral("soubor"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(MakeUserFilesDirectory(blocked + QStringLiteral("/SERKON"), &failure));
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Nelze vytvořit složku %1: ").arg(blocked)))
        << failure.toStdString();
}
