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

// A roff line's words without its macro, quotes, font changes and brackets.
QStringList RoffWords(QString line)
{
    static const QRegularExpression markup(QStringLiteral(R"(^\.[A-Z]+|\\f[A-Z]|\\%|")"));
    static const QRegularExpression brackets(QStringLiteral(R"(^[\[(]+|[\]),;.:]+$)"));
    QStringList words;
    for (QString word : line.remove(markup).replace(QStringLiteral("\\-"), QStringLiteral("-")).split(u' ')) {
        if (!word.remove(brackets).isEmpty())
            words.append(word);
    }
    return words;
}

// The options of each paragraph tag as --help writes them, in lower case:
// ".BI \-\-jobs " N"" is "--jobs <n>". A tag may go on over more font lines.
QStringList PageOptionTags(const QStringList &lines)
{
    static const QRegularExpression fontLine(QStringLiteral(R"(^\.[BIR][BIR]? )"));
    static const QRegularExpression options(QStringLiteral(R"((?:^| )((?:--?[a-z][a-z0-9-]*(?: |$))+)([A-Z]+\b)?)"));
    QStringList tags;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != QStringLiteral(".TP"))
            continue;
        QStringList words;
        for (qsizetype j = i + 1; j < lines.size() && fontLine.match(lines[j]).hasMatch(); ++j)
            words += RoffWords(lines[j]);
        const QRegularExpressionMatch tag = options.match(words.join(u' '));
        const QString value = tag.captured(2).isEmpty() ? QString() : QStringLiteral(" <%1>").arg(tag.captured(2));
        if (tag.hasMatch())
            tags.append((tag.captured(1).trimmed().replace(u' ', QStringLiteral(", ")) + value).toLower());
    }
    return tags;
}

// Each row of --help ("-o, --output <template>") is a tag of the manual page
// with the same value name, the page names no other option, and each
// completion names every long option.
TEST(ShippedFiles, ManualPageAndCompletionsFollowTheOptionTable)
{
    QProcess help;
    help.start(QStringLiteral(TAVIMO_DL_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished());
    QStringList rows;
    for (const QString &line : QString::fromUtf8(help.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("  -")))
            rows.append(line.trimmed().section(QStringLiteral("  "), 0, 0));
    }
    ASSERT_GE(rows.size(), 20);

    const QStringList lines = ReadSource(QStringLiteral("data/tavimo-dl.1")).split(u'\n');
    const QStringList tags = PageOptionTags(lines);
    for (const QString &row : rows)
        EXPECT_TRUE(tags.contains(row.toLower())) << "the manual page has no tag " << row.toStdString();
    const QStringList names = rows.join(u' ').split(QRegularExpression(QStringLiteral("[, ]+")));
    const QRegularExpression option(QStringLiteral("^--?[a-z][a-z0-9-]*$"));
    for (const QString &word : RoffWords(lines.join(u' ')))
        EXPECT_TRUE(!option.match(word).hasMatch() || names.contains(word)) << "the page names " << word.toStdString();

    for (const auto &[path, spelling] : {std::pair{"completions/tavimo-dl.bash", "--%1"},
                                         {"completions/_tavimo-dl", "--%1"}, {"completions/tavimo-dl.fish", "-l %1"}}) {
        const QString text = ReadSource(QString::fromLatin1(path));
        for (const QString &row : rows) {
            const QString name = row.section(QStringLiteral("--"), 1).section(u' ', 0, 0);
            const QRegularExpression named(QStringLiteral(R"((?<![\w-])%1(?![\w-]))")
                                               .arg(QRegularExpression::escape(QString::fromLatin1(spelling).arg(name))));
            EXPECT_TRUE(named.match(text).hasMatch()) << path << " lacks --" << name.toStdString();
        }
    }
}

// The bash completion, called as bash calls it, in a folder that holds the
// folder music and the file mix.txt.
TEST(ShippedFiles, BashCompletesCommandsOptionsAndPaths)
{
    tavimo::test::TempRoot folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("music")));
    folder.write(QStringLiteral("mix.txt"), QByteArray());
    const QString script = QStringLiteral(
        R"(source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
           spec=$(complete -p tavimo-dl) && function=${spec#*-F } && function=${function%% *} &&
           "$function" tavimo-dl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}" &&
           printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort)");
    const QList<std::pair<QStringList, QString>> rows = {
        {{"--li"}, "--limit-rate --list"},
        {{"--ro"}, "--root"},
        {{"ch"}, "channel channels check"},
        {{"--jobs", "4", "--root", "=", "music", "ch"}, "channel channels check"},
        {{"album", "--pl"}, "--playlist"},
        {{"--jobs", ""}, ""},
        {{"--root", "m"}, "music"},
        {{"--config", "m"}, "mix.txt music"},
        {{"check", "m"}, "music"},
    };
    for (const auto &[words, expected] : rows) {
        QProcess bash;
        bash.setWorkingDirectory(folder.path());
        bash.start(QStringLiteral("bash"), QStringList{QStringLiteral("--norc"), QStringLiteral("-c"), script,
                                                       QStringLiteral("bash"), SourceFile(QStringLiteral("completions/tavimo-dl.bash")),
                                                       QStringLiteral("tavimo-dl")} + words);
        ASSERT_TRUE(bash.waitForFinished());
        EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
        EXPECT_EQ(QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).join(u' '), expected)
            << words.join(u' ').toStdString();
    }
}

} // namespace
} // namespace tavimo::cli::test
