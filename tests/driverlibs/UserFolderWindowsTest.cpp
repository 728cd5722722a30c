// On Windows as on Linux, the driver libraries and the program take one folder for the user's
// files, each with its own code.
#include "UserFolder.h"

#include "core/UserFiles.h"
#include "tests/support/ReadOnlyFolderWindows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UserFolderWindows, TheDriverLibrariesAndTheProgramAgree)
{
    const QTemporaryDir base;
    const QString writable = base.filePath(QStringLiteral("Měření"));
    ASSERT_TRUE(QDir().mkpath(writable));
    const QString longWritable = base.filePath(QString(250, u'd'));
    ASSERT_TRUE(QDir().mkpath(longWritable));
    QFile file(base.filePath(QStringLiteral("soubor")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const ReadOnlyFolder readOnly;
    ASSERT_FALSE(readOnly.Path().isEmpty());
    const QString programFiles = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramFiles"));
    ASSERT_FALSE(programFiles.isEmpty());

    const QString folders[] = {
        writable,
        QDir::toNativeSeparators(writable) + u'\\',
        longWritable,
        readOnly.Path(),
        base.filePath(QStringLiteral("missing")),
        file.fileName(),
        programFiles,
        programFiles.toUpper() + QStringLiteral("/SERKON/"),
        programFiles + QStringLiteral(" (x86)"),
        programFiles + QStringLiteral("X"),
        QString(),
    };
    for (const QString& folder : folders) {
        const QString program = UserFilesDirectoryFor(folder);
        const std::string libraries = driverlib::UserFilesDirectory(folder.toStdString());
        EXPECT_EQ(program.toStdString(), libraries) << folder.toStdString();
    }
}
