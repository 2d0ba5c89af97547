#include "emulator/emulator.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace tavimo::emu::test {

namespace {

const QString kProgram = QStringLiteral(TAVIMO_EMULATOR_PROGRAM);

// Reads the program's output until it has printed its four host lines.
QString hostLines(QProcess &program)
{
    QString printed;
    while (printed.count(QLatin1Char('\n')) < 4 && program.waitForReadyRead(10000))
        printed += QString::fromUtf8(program.readAllStandardOutput());
    return printed;
}

int portOf(const QString &printed, const QString &name)
{
    const QRegularExpression line(QStringLiteral("^") + name + QStringLiteral(" +127\\.0\\.0\\.1:(\\d+)$"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(printed);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

// The program prints its hosts, serves them with the faults it was given, ends cleanly on SIGTERM
// and then writes each request's status, body bytes, path and arrival to its log.
TEST(EmulatorProgram, ServesUntilStopped)
{
    QTemporaryDir folder;
    const QString logPath = folder.filePath(QStringLiteral("requests.log"));
    QProcess program;
    program.start(kProgram, {QStringLiteral("--mp3-size"), QStringLiteral("4000"), QStringLiteral("--fault"),
                             QStringLiteral("/mine=status:503:1"), QStringLiteral("--log"), logPath});
    ASSERT_TRUE(program.waitForStarted());
    const QString printed = hostLines(program);
    const int radio = portOf(printed, QStringLiteral("radio"));
    const int audio = portOf(printed, QStringLiteral("audio"));
    ASSERT_GT(radio, 0) << printed.toStdString();
    ASSERT_GT(portOf(printed, QStringLiteral("catalogue")), 0);
    ASSERT_GT(portOf(printed, QStringLiteral("proxy")), 0);

    httplib::Client radioClient("127.0.0.1", radio);
    EXPECT_EQ(radioClient.Get("/mine")->status, 503);
    EXPECT_EQ(radioClient.Get("/mine")->status, 200);
    httplib::Client audioClient("127.0.0.1", audio);
    const httplib::Result file = audioClient.Get("/view/song/small/p5_192k.mp3");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->body.size(), 4000u);

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("503 "))) << lines[0].toStdString();
    EXPECT_EQ(lines[0].section(u' ', 2, 2), QStringLiteral("/mine"));
    // Then the time of arrival, in order.
    EXPECT_EQ(lines[2].section(u' ', 0, 2), QStringLiteral("200 4000 /view/song/small/p5_192k.mp3"));
    EXPECT_GE(lines[2].section(u' ', 3).toLongLong(), lines[0].section(u' ', 3).toLongLong());
}

// Help ends at once with success; unreadable options end with status 2 and say why.
TEST(EmulatorProgram, ChecksItsOptions)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        QString said;
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("--help")}, 0, QStringLiteral("--fault")},
        {{QStringLiteral("--fault"), QStringLiteral("/x=nonsense")}, 2, QStringLiteral("cannot read the fault")},
        {{QStringLiteral("--mp3-size"), QStringLiteral("big")}, 2, QStringLiteral("bad value")},
        {{QStringLiteral("--port-base")}, 2, QStringLiteral("missing value")},
    };
    for (const Case &c : cases) {
        QProcess program;
        program.start(kProgram, c.arguments);
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), c.exitCode) << c.arguments.join(' ').toStdString();
        const QString output = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        EXPECT_TRUE(output.contains(c.said)) << output.toStdString();
    }
}

} // namespace tavimo::emu::test
