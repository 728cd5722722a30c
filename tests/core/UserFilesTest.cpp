// serkon/ and its ports/ in the user's configuration folder hold files that nobody else may
// replace: a folder another user could replace, or write into, is refused and nothing written.
#include "core/ProgramDirectory.h"
#include "core/Settings.h"
#include "core/UserFiles.h"
#include "tests/support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Kind { Folder, LinkToOthers, OthersFolder, File };

struct Case {
    const char* folder;  // below the configuration folder (serkon/ports with a sound serkon/);
                         // null: nothing there
    Kind kind;
    mode_t mode;
    const char* reason;  // null: accepted
};

const Case Cases[] = {
    {"serkon", Kind::LinkToOthers, 0, "je to symbolický odkaz"},
    {"serkon", Kind::OthersFolder, 0777, "patří jinému uživateli"},
    {"serkon", Kind::Folder, 0720, "mohou do ní zapisovat i jiní uživatelé"},
    {"serkon", Kind::File, 0600, "není to složka"},
    {"serkon/ports", Kind::LinkToOthers, 0, "je to symbolický odkaz"},
    {"serkon/ports", Kind::Folder, 0707, "mohou do ní zapisovat i jiní uživatelé"},
    {"serkon", Kind::Folder, 0755, nullptr},  // others may read, not write
    {nullptr, Kind::Folder, 0700, nullptr},  // serkon/ is made, for the user alone
};

// Made by root for the ordinary user the test becomes, unless another user's.
void Make(const QString& path, Kind kind, mode_t mode, const QString& others)
{
    const QByteArray name = QFile::encodeName(path);
    bool made = false;
    if (kind == Kind::LinkToOthers)
        made = ::symlink(QFile::encodeName(others).constData(), name.constData()) == 0;
    else if (kind == Kind::File)
        made = QFile(path).open(QIODevice::WriteOnly) && ::chmod(name.constData(), mode) == 0;
    else
        made = ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), mode) == 0;
    if (made && kind != Kind::OthersFolder && ::geteuid() == 0)
        made = ::lchown(name.constData(), 65534, 65534) == 0;
    ASSERT_TRUE(made) << path.toStdString();
}

} // namespace

TEST(UserFiles, AFolderOthersCouldReplaceOrWriteIntoIsRefusedAndNothingIsWritten)
{
    const QTemporaryDir base;
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 0755), 0);
    const QString others = base.filePath(QStringLiteral("others"));
    Make(others, Kind::OthersFolder, 0777, {});
    const QString program = base.filePath(QStringLiteral("program"));  // settings go elsewhere
    ASSERT_TRUE(QDir().mkdir(program) && QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    for (size_t i = 0; i < std::size(Cases); ++i) {
        const QString home = base.filePath(QString::number(i));
        Make(home, Kind::Folder, 0700, others);
        if (QByteArray(Cases[i].folder) == "serkon/ports")
            Make(home + QStringLiteral("/serkon"), Kind::Folder, 0700, others);
        if (Cases[i].folder)
            Make(home + u'/' + QString::fromUtf8(Cases[i].folder), Cases[i].kind, Cases[i].mode, others);
    }
    ASSERT_FALSE(HasFatalFailure());
    const bool othersFolderMade = ::geteuid() == 0;  // only root can make another user's folder

    const auto saveAsAnOrdinaryUser = [&] {
        BecomeAnOrdinaryUser();
        SetProgramDirectory(program);
        int faults = 0;
        for (size_t i = 0; i < std::size(Cases); ++i) {
            const Case& test = Cases[i];
            if (test.kind == Kind::OthersFolder && !othersFolderMade)
                continue;
            const QString home = base.filePath(QString::number(i));
            ::setenv("XDG_CONFIG_HOME", QFile::encodeName(home).constData(), 1);
            const QString refusal = test.reason ? QStringLiteral("Složku %1/%2 nelze použít: %3.")
                                                      .arg(home, QString::fromUtf8(test.folder),
                                                           QString::fromUtf8(test.reason))
                                                : QString();
            TData record;
            InitData(record);
            QString saveFailure;
            QString portsFailure;
            const bool saved = SaveSettings(&record, &saveFailure);
            MakeUserFilesDirectory(home + QStringLiteral("/serkon/ports"), &portsFailure);
            struct stat made {};
            ::stat(QFile::encodeName(home + QStringLiteral("/serkon")).constData(), &made);
            if (saved != (QByteArray(test.folder) != "serkon" || !test.reason) || portsFailure != refusal
                || (!test.reason && (made.st_mode & 0077 & ~test.mode) != 0)) {
                std::fprintf(stderr, "case %zu: saved %d: %s; ports/: %s\n", i, saved,
                             saveFailure.toUtf8().constData(), portsFailure.toUtf8().constData());
                ++faults;
            }
        }
        if (!QDir(others).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            std::fprintf(stderr, "the other user's folder was written into\n");
            ++faults;
        }
        std::_Exit(faults);
    };
    EXPECT_EXIT(saveAsAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");
}
