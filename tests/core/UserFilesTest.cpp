// The program's folder in the user's configuration folder, and its ports/, hold files that
// others must not replace: a folder that another user could replace, or write into, is refused
// and nothing is written.
#include "core/ProgramDirectory.h"
#include "core/Records.h"
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
#include <vector>

namespace {

// What a folder of the configuration folder is before the program wants it.
enum class Place {
    Missing,
    Own,           // the ordinary user's, with the case's mode
    LinkToOthers,  // a link to a folder of another user that anyone may write into
    OthersFolder,  // another user's folder that anyone may write into
    File,
};

struct Case {
    Place serkon;
    mode_t serkonMode;
    Place ports;
    mode_t portsMode;
    const char* refused;  // the folder refused, relative to the configuration folder; null: none
    const char* reason;
};

const Case Cases[] = {
    {Place::LinkToOthers, 0, Place::Missing, 0, "serkon", "je to symbolický odkaz"},
    {Place::OthersFolder, 0, Place::Missing, 0, "serkon", "patří jinému uživateli"},
    {Place::Own, 0770, Place::Missing, 0, "serkon", "mohou do ní zapisovat i jiní uživatelé"},
    {Place::Own, 0702, Place::Missing, 0, "serkon", "mohou do ní zapisovat i jiní uživatelé"},
    {Place::File, 0600, Place::Missing, 0, "serkon", "není to složka"},
    {Place::Own, 0700, Place::LinkToOthers, 0, "serkon/ports", "je to symbolický odkaz"},
    {Place::Own, 0700, Place::Own, 0777, "serkon/ports", "mohou do ní zapisovat i jiní uživatelé"},
    {Place::Own, 0700, Place::File, 0600, "serkon/ports", "není to složka"},
    {Place::Own, 0755, Place::Own, 0700, nullptr, nullptr},  // others may read, not write
    {Place::Missing, 0, Place::Missing, 0, nullptr, nullptr},
};

constexpr uid_t OrdinaryUser = 65534;  // as BecomeAnOrdinaryUser

QByteArray Encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Root makes the folders and gives the user's own to the ordinary user the test becomes.
void GiveToTheUser(const QString& path)
{
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown(Encoded(path).constData(), OrdinaryUser, OrdinaryUser), 0);
    }
}

void Make(const QString& path, Place place, mode_t mode, const QString& others)
{
    switch (place) {
    case Place::Missing:
        return;
    case Place::Own:
        ASSERT_EQ(::mkdir(Encoded(path).constData(), mode), 0);
        ASSERT_EQ(::chmod(Encoded(path).constData(), mode), 0);
        GiveToTheUser(path);
        return;
    case Place::LinkToOthers:
        ASSERT_EQ(::symlink(Encoded(others).constData(), Encoded(path).constData()), 0);
        GiveToTheUser(path);
        return;
    case Place::OthersFolder:
        ASSERT_EQ(::mkdir(Encoded(path).constData(), 0777), 0);
        ASSERT_EQ(::chmod(Encoded(path).constData(), 0777), 0);
        return;
    case Place::File: {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        ASSERT_EQ(::chmod(Encoded(path).constData(), mode), 0);
        GiveToTheUser(path);
        return;
    }
    }
}

} // namespace

TEST(UserFiles, AFolderOthersCouldReplaceOrWriteIntoIsRefusedAndNothingIsWritten)
{
    const QTemporaryDir base;
    ASSERT_EQ(::chmod(Encoded(base.path()).constData(), 0755), 0);
    const QString others = base.filePath(QStringLiteral("others"));
    Make(others, Place::OthersFolder, 0, {});
    // A folder the ordinary user may not write into: settings can only go to the user's folder.
    const QString program = base.filePath(QStringLiteral("program"));
    ASSERT_EQ(::mkdir(Encoded(program).constData(), 0555), 0);

    std::vector<QString> configHomes;
    for (const Case& test : Cases) {
        const QString configHome = base.filePath(QString::number(configHomes.size()));
        configHomes.push_back(configHome);
        Make(configHome, Place::Own, 0700, others);
        Make(configHome + QStringLiteral("/serkon"), test.serkon, test.serkonMode, others);
        Make(configHome + QStringLiteral("/serkon/ports"), test.ports, test.portsMode, others);
    }
    ASSERT_FALSE(HasFatalFailure());

    // Only root can make a folder that is another user's than the one the test runs as.
    const bool othersFolderMade = ::geteuid() == 0;
    const auto saveAsAnOrdinaryUser = [&] {
        BecomeAnOrdinaryUser();
        SetProgramDirectory(program);
        int faults = 0;
        const auto expect = [&](bool good, size_t index, const char* what, const QString& failure) {
            if (good)
                return;
            std::fprintf(stderr, "case %zu: %s (%s)\n", index, what, failure.toUtf8().constData());
            ++faults;
        };
        for (size_t index = 0; index < configHomes.size(); ++index) {
            const Case& test = Cases[index];
            if (test.serkon == Place::OthersFolder && !othersFolderMade)
                continue;
            ::setenv("XDG_CONFIG_HOME", Encoded(configHomes[index]).constData(), 1);
            const QString refusal = test.refused
                ? QStringLiteral("Složku %1/%2 nelze použít: %3.")
                      .arg(configHomes[index], QString::fromUtf8(test.refused), QString::fromUtf8(test.reason))
                : QString();
            const bool serkonRefused = test.refused && QByteArray(test.refused) == "serkon";

            TData record;
            InitData(record);
            QString saveFailure;
            const bool saved = SaveSettings(&record, &saveFailure);
            expect(saved == !serkonRefused, index, "settings saved", saveFailure);
            if (serkonRefused)
                expect(saveFailure == refusal, index, "the refusal names the folder and why", saveFailure);

            QString portsFailure;
            const bool made = MakeUserFilesDirectory(configHomes[index] + QStringLiteral("/serkon/ports"),
                                                     &portsFailure);
            expect(made == !test.refused, index, "ports/ made", portsFailure);
            expect(portsFailure == refusal, index, "the refusal of ports/", portsFailure);

            struct stat made700 {};
            if (!test.refused && test.serkon == Place::Missing)
                expect(::stat(Encoded(configHomes[index] + QStringLiteral("/serkon")).constData(), &made700) == 0
                           && (made700.st_mode & 0777) == 0700,
                       index, "made for the user alone", {});
        }
        // The link and the other user's folder led nowhere the program wrote.
        if (!QDir(others).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            std::fprintf(stderr, "the other user's folder was written into\n");
            ++faults;
        }
        std::_Exit(faults);
    };
    EXPECT_EXIT(saveAsAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");
}
