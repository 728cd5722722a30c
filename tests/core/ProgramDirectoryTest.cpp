#include "core/ProgramDirectory.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(ProgramDirectory, IsTheDirectoryOfAnAbsoluteExecutablePath)
{
    EXPECT_EQ(ExecutableDirectory(QStringLiteral("/opt/serkon/bin/serkon")),
              QStringLiteral("/opt/serkon/bin"));
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
    const QString expected = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
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
