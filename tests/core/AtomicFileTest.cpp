#include "core/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AtomicFile, AFolderInTheTargetsPlaceIsLeftAsItIs)
{
    // A file could take an empty folder's place by a rename (Wine's ReplaceFileW does that).
    const QTemporaryDir dir;
    const QString taken = dir.filePath(QStringLiteral("SERKON.ini"));
    ASSERT_TRUE(QDir().mkpath(taken));
    QString failure;
    EXPECT_FALSE(ReplaceFileContents(taken, "[S]\nk=1\n", &failure));
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Nelze zapsat soubor %1: ").arg(taken)))
        << failure.toStdString();
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"SERKON.ini"});
}
