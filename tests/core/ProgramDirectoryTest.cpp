#include "core/ProgramDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(ProgramDirectory, IsTheDirectoryOfAnAbsoluteExecutablePath)
{
    // "/" here, "C:/" on Windows.
    const QString root = QDir::rootPath();
    EXPECT_EQ(ExecutableDirectory(root + "opt/serkon/bin/serkon"), root + "opt/serkon/bin");
}

TEST(ProgramDirectory, WithoutAnExecutablePathNeverRelative)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(ExecutableDirectory(QString()), QString());
    EXPECT_EQ(ExecutableDirectory(QStringLiteral("bin/serkon")), QString());

    // With an application object its directory stands in.
    int argc = 1;
    char name[] = "core_tests";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    const QString expected = QCoreApplication::applicationDirPath();
    ASSERT_TRUE(QFileInfo(expected).isAbsolute()) << expected.toStdString();
    EXPECT_EQ(ExecutableDirectory(QString()), expected);
    EXPECT_EQ(ExecutableDirectory(QStringLiteral("bin/serkon")), expected);
}

TEST(ProgramDirectory, FilePathsAreJoinedToTheDirectory)
{
    SetProgramDirectory(QStringLiteral("/somewhere/else"));
    EXPECT_EQ(ProgramFilePath(QStringLiteral("libRVS770.so")),
              QStringLiteral("/somewhere/else/libRVS770.so"));
    SetProgramDirectory({});
    EXPECT_TRUE(QFileInfo(ProgramFilePath(QStringLiteral("SERKON.ini"))).isAbsolute());
}
