#include "support/tavimo_dl_runner.h"

#include <QProcessEnvironment>

namespace tavimo::cli::test {

namespace {

constexpr int kRunTimeoutMs = 60000;

} // namespace

void TavimoDlTest::start(QProcess &process, const QStringList &arguments, const tavimo::test::TempRoot &into)
{
    const ServiceHosts hosts = emulator.hosts();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TAVIMO_HOSTS"), hosts.radio + u',' + hosts.catalogue + u',' + hosts.audio);
    environment.insert(QStringLiteral("TAVIMO_PAUSE_MS"), QStringLiteral("20"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
    environment.remove(QStringLiteral("http_proxy"));
    environment.remove(QStringLiteral("HTTP_PROXY"));
    for (auto it = this->environment.cbegin(); it != this->environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVIMO_DL_PATH), QStringList{QStringLiteral("--root"), into.path()} + arguments);
    ASSERT_TRUE(process.waitForStarted());
}

RunResult TavimoDlTest::run(const QStringList &arguments, const tavimo::test::TempRoot &into)
{
    QProcess process;
    start(process, arguments, into);
    EXPECT_TRUE(process.waitForFinished(kRunTimeoutMs)) << arguments.join(u' ').toStdString();
    return ResultOf(process);
}

RunResult ResultOf(QProcess &process)
{
    RunResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QByteArray TavimoDlTest::servedBytes(const std::string &songId) const
{
    const bool highRate = emulator.catalogue().songFiles(songId) == emu::SongFiles::Served;
    return QByteArray::fromStdString(emulator.expectedMp3(songId, highRate));
}

} // namespace tavimo::cli::test
