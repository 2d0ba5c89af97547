#include "cli/stop_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tavimo::cli {

namespace {

int gPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGINT, SIGTERM};

extern "C" void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing else is safe here; a full pipe already holds a stop request.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = savedErrno;
}

bool OpenPipe()
{
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return false;
    }
    return true;
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    if (!OpenPipe())
        return;
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        sigaction(signalNumber, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    delete notifier_;
    notifier_ = nullptr;
    for (int &end : gPipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void StopSignals::readPipe()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(gPipe[0], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit stopRequested(last);
}

} // namespace tavimo::cli
