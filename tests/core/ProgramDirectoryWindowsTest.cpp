#include "core/ProgramDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramDirectoryWindows, IsTheFolderOfTheExecutableWhateverItsName)
{
    const QString probe = QFileInfo(QStringLiteral(SERKON_PROGRAM_DIRECTORY_PROBE)).absoluteFilePath();
    ASSERT_TRUE(QFileInfo::exists(probe)) << probe.toStdString();
    const QTemporaryDir base;
    const QString folder = base.filePath(QStringLiteral("Měření"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + QStringLiteral("/probe.exe");
    ASSERT_TRUE(QFile::copy(probe, copy));
    QProcess process;
    // Where the probe's libraries are found, should they lie beside it.
    process.setWorkingDirectory(QFileInfo(probe).path());
    process.start(copy, {});
    ASSERT_TRUE(process.waitForFinished(-1)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), folder);
}

TEST(ProgramDirectoryWindows, IsAFullPathWithQtsSeparators)
{
    const QString directory = ProgramDirectory();
    EXPECT_TRUE(QFileInfo(directory).isAbsolute()) << directory.toStdString();
    EXPECT_FALSE(directory.contains(u'\\')) << directory.toStdString();
    EXPECT_TRUE(QFileInfo::exists(directory + QStringLiteral("/core_tests.exe")));
}
