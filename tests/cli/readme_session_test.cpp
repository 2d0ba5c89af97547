// The README's first command-line session, run as written in a shell with a
// fresh home folder: every command ends well and prints what the README shows.
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace tavimo::cli::test {
namespace {

struct SessionStep {
    QString command;
    QStringList shown; // the lines the README shows after it
};

// The indented "$ " lines of the README's first-session section and the
// lines that follow each.
QList<SessionStep> ReadmeSession()
{
    QFile readme(QStringLiteral(TAVIMO_README));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(readme.readAll());
    const QString section = text.section(QStringLiteral("## The command-line program: a first session"), 1)
                                .section(QStringLiteral("\n## "), 0, 0);
    QList<SessionStep> steps;
    for (const QString &line : section.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("    ")))
            continue;
        const QString content = line.mid(4);
        if (content.startsWith(QStringLiteral("$ ")))
            steps.append({content.mid(2), {}});
        else if (!steps.isEmpty())
            steps.last().shown.append(content);
    }
    return steps;
}

QString Collapsed(const QString &text)
{
    return text.simplified();
}

TEST(ReadmeSession, RunsAsWritten)
{
    const QList<SessionStep> steps = ReadmeSession();
    ASSERT_GE(steps.size(), 5) << "the README's session was not found";
    tavimo::test::TempRoot home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(TAVIMO_DL_PATH)).absolutePath() + u':' +
                                                   environment.value(QStringLiteral("PATH")));
    for (const char *name : {"TAVIMO_HOSTS", "http_proxy", "HTTP_PROXY", "https_proxy", "ALL_PROXY", "XDG_CONFIG_HOME"})
        environment.remove(QString::fromLatin1(name));

    for (const SessionStep &step : steps) {
        QProcess shell;
        shell.setProcessEnvironment(environment);
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), step.command});
        ASSERT_TRUE(shell.waitForFinished(120000)) << step.command.toStdString();
        const QString output = QString::fromUtf8(shell.readAll());
        EXPECT_EQ(shell.exitCode(), 0) << step.command.toStdString() << "\n" << output.toStdString();
        // Blanks as a terminal lays them out do not count.
        EXPECT_TRUE(Collapsed(output).contains(Collapsed(step.shown.join(u'\n'))))
            << step.command.toStdString() << "\nshown:\n"
            << step.shown.join(u'\n').toStdString() << "\ngot:\n"
            << output.toStdString();
    }
    // The album's five tracks and the artist's albums are on disk.
    QDirIterator files(home.file(QStringLiteral("tavimo-demo")), QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    for (; files.hasNext(); files.next())
        ++count;
    EXPECT_GT(count, 5);
}

} // namespace
} // namespace tavimo::cli::test
