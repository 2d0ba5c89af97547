#include "net/wakeup.h"

#include <qcoro/qcorosignal.h>

namespace tavimo {

namespace {

// Passes on the first notification only. QCoro resumes a task from a queued
// call per emission, and a second call queued before the first ran would
// find the task gone; each wait gets a relay of its own that fires once.
class OneShotRelay : public QObject {
    Q_OBJECT
public:
    void fire()
    {
        if (!fired_) {
            fired_ = true;
            emit fired();
        }
    }

signals:
    void fired();

private:
    bool fired_ = false;
};

} // namespace

QCoro::Task<> Wakeup::next()
{
    OneShotRelay relay;
    connect(this, &Wakeup::notified, &relay, &OneShotRelay::fire);
    co_await qCoro(&relay, &OneShotRelay::fired);
}

} // namespace tavimo

#include "wakeup.moc"
