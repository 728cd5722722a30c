// Loading libraries on Windows: from a folder whose name is not ASCII, with what a library needs
// found beside it.
#include "MappedCopies.h"
#include "TestDrivers.h"

#include "drivers/DriverBinding.h"
#include "drivers/DynamicLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Copies of the files in a new folder named "Měření"; its path.
QString CopiedIntoACzechFolder(const QTemporaryDir& base, const QStringList& files)
{
    const QString folder = base.filePath(QStringLiteral("Měření"));
    if (!QDir().mkpath(folder))
        return {};
    for (const QString& file : files) {
        if (!QFile::copy(file, folder + u'/' + QFileInfo(file).fileName()))
            return {};
    }
    return folder;
}

} // namespace

TEST(DynamicLibraryWindows, ADriverLoadsFromAFolderWhoseNameIsNotAscii)
{
    const QTemporaryDir base;
    const QString folder = CopiedIntoACzechFolder(base, {TestDriverDirectory("full") + "/RVS770.DLL"});
    ASSERT_FALSE(folder.isEmpty());
    SetProgramDirectory(folder);
    testdriver::Reset();
    testdriver::CurrentScript().handleOnInit = 0x77;
    uint32_t handle = 0;
    DriverConfigBlock config{};
    config[0] = 1;
    EXPECT_EQ(LoadDriver(0, &handle, config), 0);
    EXPECT_EQ(handle, 0x77u);
    EXPECT_EQ(MappedCopies(folder + "/RVS770.DLL"), 1);
    EXPECT_EQ(CloseDriver(0, &handle), 0);
    EXPECT_EQ(MappedCopies(folder + "/RVS770.DLL"), 0);
    SetProgramDirectory({});
}

TEST(DynamicLibraryWindows, WhatALibraryNeedsIsFoundBesideIt)
{
    // The needed library lies nowhere else the loader would look by default: not beside the
    // program, not in the working folder, not along PATH.
    const QString needing = QStringLiteral(SERKON_TEST_NEEDING_LIBRARY);
    const QString needed = QStringLiteral(SERKON_TEST_NEEDED_LIBRARY);
    const QTemporaryDir base;
    const QString folder = CopiedIntoACzechFolder(base, {needing, needed});
    ASSERT_FALSE(folder.isEmpty());
    const QString neededCopy = folder + u'/' + QFileInfo(needed).fileName();

    const LibraryHandle library = OpenLibrary(folder + u'/' + QFileInfo(needing).fileName());
    ASSERT_NE(library, nullptr);
    const auto entry = reinterpret_cast<int (*)()>(LibraryEntry(library, "SerkonTestNeeding"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(), 4712);
    EXPECT_EQ(MappedCopies(neededCopy), 1);
    CloseLibrary(library);
    EXPECT_EQ(MappedCopies(neededCopy), 0);
}
