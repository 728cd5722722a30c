// The driver libraries find ports/ in the folder where the program keeps SERKON.ini: the two
// follow one rule, each with its own code.
#include "UserFolder.h"

#include "core/UserFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Environment {
    const char* configHome;  // null: unset
    const char* home;
};

void Apply(const char* name, const char* value)
{
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

} // namespace

TEST(UserFolder, TheDriverLibrariesAndTheProgramAgree)
{
    const QTemporaryDir base;
    const QString readOnly = base.filePath("read-only");
    const QString writable = base.filePath("writable");
    ::chmod(QFile::encodeName(base.path()).constData(), 0755);
    ::mkdir(QFile::encodeName(readOnly).constData(), 0555);
    ::mkdir(QFile::encodeName(writable).constData(), 0777);
    ::chmod(QFile::encodeName(writable).constData(), 0777);

    const QString folders[] = {writable, readOnly, base.filePath("missing"),
                               QStringLiteral("/usr/lib/serkon"), QStringLiteral("/usr"), QString()};
    const Environment environments[] = {
        {"/cfg", "/home/a"}, {"/cfg//", "/home/a"}, {"cfg", "/home/a"}, {"", "/home/a/"},
        {nullptr, "/home/a"}, {nullptr, "home"}, {nullptr, nullptr},
    };
    // As an ordinary user, for whom a read-only folder is one; root may write into any.
    const auto compareAsAnOrdinaryUser = [&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(90);
        int differences = 0;
        for (const Environment& environment : environments) {
            Apply("XDG_CONFIG_HOME", environment.configHome);
            Apply("HOME", environment.home);
            for (const QString& folder : folders) {
                const QString program = UserFilesDirectoryFor(folder);
                const std::string libraries = driverlib::UserFilesDirectory(folder.toStdString());
                if (program.toStdString() != libraries) {
                    std::fprintf(stderr, "%s: program %s, libraries %s\n", folder.toUtf8().constData(),
                                 program.toUtf8().constData(), libraries.c_str());
                    ++differences;
                }
            }
        }
        std::_Exit(differences);
    };
    EXPECT_EXIT(compareAsAnOrdinaryUser(), ::testing::ExitedWithCode(0), "");
}
