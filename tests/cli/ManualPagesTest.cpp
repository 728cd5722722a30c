// The manual pages and the shell completion against the programs' own help: every command,
// option, control and exit code the programs know is described, and the completion knows which
// options take a value (it steps over the value to find the command).
#include "tools/cli/CommandLine.h"
#include "tools/sim/Controls.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

QString SourceFile(const char* path)
{
    QFile file(QStringLiteral(SERKON_SOURCE_DIR "/") + QString::fromLatin1(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return QString::fromUtf8(file.readAll());
}

QString Help(const QString& command)
{
    QStringList arguments{QStringLiteral("serkon-cli")};
    if (!command.isEmpty())
        arguments += command.split(u' ');
    const CommandLine line = ParseCommandLine(arguments << QStringLiteral("--help"));
    EXPECT_EQ(line.action, CommandLine::Action::ShowText) << command.toStdString();
    return line.text;
}

QStringList Captures(const QString& text, const QString& pattern)
{
    QStringList found;
    const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : expression.globalMatch(text))
        found << match.captured(1);
    return found;
}

// The tag of each entry (the line after .TP) of a page, fonts and quotes gone: "--udp-port N".
QStringList EntryTags(const QString& page)
{
    QStringList tags;
    const QStringList lines = page.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != QStringLiteral(".TP"))
            continue;
        QString tag = lines[i + 1];
        tag.remove(QRegularExpression(QStringLiteral("^\\.[BIR]+ ")))
            .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")))
            .remove(u'"')
            .replace(QStringLiteral("\\-"), QStringLiteral("-"));
        tags << tag.simplified();
    }
    return tags;
}

bool HasEntry(const QStringList& tags, const QString& word)
{
    const QRegularExpression named(QStringLiteral("(^|[^\\w-])") + QRegularExpression::escape(word)
                                   + QStringLiteral("($|[^\\w-])"));
    return std::any_of(tags.begin(), tags.end(), [&](const QString& tag) { return tag.contains(named); });
}

// The labels of the branches between a case line and marker: "--com | --base)" gives two.
std::set<std::string> CaseLabels(const QString& script, const QString& caseLine, const QString& marker)
{
    const qsizetype start = script.indexOf(caseLine);
    EXPECT_GE(start, 0) << caseLine.toStdString();
    QString block = script.mid(start + caseLine.size(), script.indexOf(marker, start) - start - caseLine.size());
    block.replace(QStringLiteral("\\\n"), QStringLiteral(" "));
    std::set<std::string> labels;
    for (const QString& label : Captures(block, QStringLiteral("^\\s*([^()\\n]+)\\)")))
        for (const QString& name : label.split(u'|'))
            labels.insert(name.trimmed().toStdString());
    return labels;
}

} // namespace

TEST(ManualPages, DescribeEveryCommandOptionAndExitCodeOfSerkonCli)
{
    const QString general = Help(QString());
    QString help = general;
    const QStringList commands =
        Captures(general.section(QStringLiteral("Příkazy:\n"), 1).section(QStringLiteral("\n\n"), 0, 0),
                 QStringLiteral("^  ([a-z-]+(?: [a-z-]+)*)"));
    ASSERT_GE(commands.size(), 9);
    for (const QString& command : commands)
        help += Help(command);

    // "  -o, --output SOUBOR   …", "      --watch   …": the names, and a value name after a blank.
    std::set<std::string> options, valueOptions;
    const QRegularExpression optionLine(QStringLiteral("^  (?:(-\\w), )?\\s*(--[a-z-]+)( \\S+)?  "),
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : optionLine.globalMatch(help)) {
        for (const QString& name : {match.captured(1), match.captured(2)}) {
            if (name.isEmpty())
                continue;
            options.insert(name.toStdString());
            if (match.hasCaptured(3))
                valueOptions.insert(name.toStdString());
        }
    }
    ASSERT_GE(valueOptions.size(), 15u);
    const QStringList codes = Captures(general.section(QStringLiteral("Návratové kódy:\n"), 1),
                                       QStringLiteral("^  (\\d+)  "));
    ASSERT_GE(codes.size(), 8);

    const QStringList page = EntryTags(SourceFile("data/man/serkon-cli.1"));
    for (const QString& command : commands)
        EXPECT_TRUE(std::any_of(page.begin(), page.end(), [&](const QString& tag) {
            return tag == command || tag.startsWith(command + u' ');
        })) << "command " << command.toStdString();
    for (const std::string& option : options)
        EXPECT_TRUE(HasEntry(page, QString::fromStdString(option))) << "option " << option;
    for (const QString& code : codes)
        EXPECT_TRUE(page.contains(code)) << "exit code " << code.toStdString();

    // The completion steps over each value, and offers each value's completion or none.
    const QString completion = SourceFile("data/serkon-cli.bash-completion");
    EXPECT_EQ(CaseLabels(completion, QStringLiteral("case ${words[i]} in"), QStringLiteral("((i++))")), valueOptions);
    EXPECT_EQ(CaseLabels(completion, QStringLiteral("case $prev in"), QStringLiteral("esac")), valueOptions);
}

TEST(ManualPages, DescribeEveryControlOfSerkonSim)
{
    const QStringList page = EntryTags(SourceFile("data/man/serkon-sim.1"));
    const QStringList options = Captures(QString::fromStdString(sim::ControlHelp(sim::HelpForm::Options)),
                                         QStringLiteral("^  (--[a-z-]+)"));
    const QStringList lines = Captures(QString::fromStdString(sim::ControlHelp(sim::HelpForm::LinesOnly)),
                                       QStringLiteral("^  ([a-z-]+)"));
    ASSERT_GE(options.size(), 13);
    ASSERT_GE(lines.size(), 4);
    for (const QString& control : options + lines)
        EXPECT_TRUE(HasEntry(page, control)) << "control " << control.toStdString();
}
