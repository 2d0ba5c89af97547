// The files installed beside tavimo-dl: the manual page and the shell
// completions follow the option table its --help prints, and the bash
// completion completes as a user types.
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace tavimo::cli::test {
namespace {

QString SourceFile(const QString &relative)
{
    return QFileInfo(QStringLiteral(TAVIMO_README)).absoluteDir().filePath(relative);
}

QString ReadSource(const QString &relative)
{
    QFile file(SourceFile(relative));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Roff as plain words: no macros, quotes or font changes, "\-" as "-".
QString Unmarked(QString roff)
{
    static const QRegularExpression markup(QStringLiteral(R"(^\.[A-Z]+|\\f[A-Z]|\\%|")"),
                                           QRegularExpression::MultilineOption);
    return roff.remove(markup).replace(QStringLiteral("\\-"), QStringLiteral("-")).simplified();
}

// The options a text names, as "-o" and "--output".
QStringList OptionsIn(const QString &text)
{
    static const QRegularExpression option(QStringLiteral(R"((?<![\w-])--?[a-z][a-z0-9-]*)"));
    QStringList names;
    for (const QRegularExpressionMatch &match : option.globalMatch(text))
        names.append(match.captured());
    return names;
}

// The options of each paragraph tag of the manual page as --help writes them,
// in lower case: ".BI \-\-jobs " N"" is "--jobs <n>"; a tag may go on over lines.
QStringList PageOptionTags(const QString &page)
{
    static const QRegularExpression tagLines(QStringLiteral(R"(^\.TP\n((?:\.[BIR][BIR]? .*\n)+))"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression options(
        QStringLiteral(R"((?<![\w-])(--?[a-z][a-z0-9-]*(?: , --?[a-z][a-z0-9-]*)*)(?: ([A-Z]+)\b)?)"));
    QStringList tags;
    for (const QRegularExpressionMatch &tag : tagLines.globalMatch(page)) {
        const QRegularExpressionMatch found = options.match(Unmarked(tag.captured(1)));
        const QString value = found.captured(2).isEmpty() ? QString() : QStringLiteral(" <%1>").arg(found.captured(2));
        if (found.hasMatch())
            tags.append((found.captured(1).replace(QStringLiteral(" ,"), QStringLiteral(",")) + value).toLower());
    }
    return tags;
}

// The left column of each option row of --help: "-o, --output <template>".
QStringList HelpRows()
{
    static const QRegularExpression row(QStringLiteral("^  (-.*?)(?:  |$)"), QRegularExpression::MultilineOption);
    QProcess help;
    help.start(QStringLiteral(TAVIMO_DL_PATH), {QStringLiteral("--help")});
    help.waitForFinished();
    QStringList rows;
    for (const QRegularExpressionMatch &match : row.globalMatch(QString::fromUtf8(help.readAllStandardOutput())))
        rows.append(match.captured(1));
    return rows;
}

// What the bash completion offers, sorted, called as bash calls it on the
// words after "tavimo-dl", in the folder `in`.
QString BashCompletes(const QStringList &words, const QString &in)
{
    const QString script = QStringLiteral(
        R"(source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
           registered=$(complete -p tavimo-dl) && function=${registered#*-F } && function=${function%% *} &&
           "$function" tavimo-dl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}" &&
           printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort)");
    QProcess bash;
    bash.setWorkingDirectory(in);
    bash.start(QStringLiteral("bash"),
               QStringList{QStringLiteral("--norc"), QStringLiteral("-c"), script, QStringLiteral("bash"),
                           SourceFile(QStringLiteral("completions/tavimo-dl.bash")), QStringLiteral("tavimo-dl")} +
                   words);
    if (!bash.waitForFinished() || bash.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(bash.readAllStandardError());
    return QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).join(u' ');
}

// Each row of --help is a tag of the manual page with the same value name,
// the page names no other option, and the zsh and fish completions name
// every long option (the bash one is run below).
TEST(ShippedFiles, ManualPageAndCompletionsFollowTheOptionTable)
{
    const QStringList rows = HelpRows();
    ASSERT_GE(rows.size(), 20);
    const QString page = ReadSource(QStringLiteral("data/tavimo-dl.1"));
    const QStringList tags = PageOptionTags(page);
    for (const QString &row : rows)
        EXPECT_TRUE(tags.contains(row.toLower())) << "the manual page has no tag " << row.toStdString();
    const QStringList names = OptionsIn(rows.join(u' '));
    for (const QString &name : OptionsIn(Unmarked(page)))
        EXPECT_TRUE(names.contains(name)) << "the manual page names " << name.toStdString();

    for (const auto &[path, spelling] :
         {std::pair{"completions/_tavimo-dl", "--%1"}, {"completions/tavimo-dl.fish", "-l %1"}}) {
        const QString text = ReadSource(QString::fromLatin1(path));
        for (const QString &name : names.filter(QRegularExpression(QStringLiteral("^--")))) {
            const QString spelt = QString::fromLatin1(spelling).arg(name.mid(2));
            EXPECT_TRUE(
                text.contains(QRegularExpression(QRegularExpression::escape(spelt) + QStringLiteral("(?![\\w-])"))))
                << path << " lacks " << name.toStdString();
        }
    }
}

// In a folder that holds the folder music and the file mix.txt.
TEST(ShippedFiles, BashCompletesCommandsOptionsAndPaths)
{
    tavimo::test::TempRoot folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("music")));
    folder.write(QStringLiteral("mix.txt"), QByteArray());
    QStringList names = OptionsIn(HelpRows().join(u' '));
    names.sort();
    const QList<std::pair<QStringList, QString>> rows = {
        {{"-"}, names.join(u' ')},          {{"--li"}, "--limit-rate --list"},
        {{"ch"}, "channel channels check"}, {{"--jobs", "4", "--root", "=", "music", "ch"}, "channel channels check"},
        {{"album", "--pl"}, "--playlist"},  {{"--jobs", ""}, ""},
        {{"--root", "m"}, "music"},         {{"--config", "m"}, "mix.txt music"},
        {{"check", "m"}, "music"},
    };
    for (const auto &[words, expected] : rows)
        EXPECT_EQ(BashCompletes(words, folder.path()), expected) << words.join(u' ').toStdString();
}

} // namespace
} // namespace tavimo::cli::test
