// The driver libraries find ports/ in the folder where the program keeps SERKON.ini: the two
// follow one rule, each with its own code.
#include "UserFolder.h"

#include "core/UserFiles.h"
#include "tests/support/OrdinaryUser.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

struct Environment {
    const char* configHome;  // null: unset
    const char* home;
};

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
    // ":cfg" is Qt's resource prefix, but no absolute path; a folder name that is not UTF-8
    // (byte 0xE9, an encoded surrogate) is one the program cannot name.
    const Environment environments[] = {
        {"/cfg", "/home/a"}, {"/cfg//", "/home/a"}, {"cfg", "/home/a"}, {"", "/home/a/"},
        {nullptr, "/home/a"}, {nullptr, "home"}, {nullptr, nullptr},
        {":cfg", "/home/a"}, {nullptr, ":home"}, {"/cfg\xE9", "/home/a"}, {nullptr, "/home/a\xE9"},
        {"/cfg\xED\xA0\x80", "/home/a"}, {"/cf\xC3\xA9g", "/home/a"},
    };
    // As an ordinary user, for whom a read-only folder is one; root may write into any.
    const auto compareAsAnOrdinaryUser = [&] {
        BecomeAnOrdinaryUser();
        int differences = 0;
        for (const Environment& environment : environments) {
            const ScopedVariable configHome("XDG_CONFIG_HOME", environment.configHome);
            const ScopedVariable home("HOME", environment.home);
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
