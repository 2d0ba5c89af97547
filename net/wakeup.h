#pragma once

#include <QObject>

#include <qcoro/qcorotask.h>

namespace tavimo {

// Tells the tasks waiting on it that something changed. notify() may come
// from anywhere, one of curl's callbacks included: the tasks resume from the
// event loop, after the caller has returned.
class Wakeup : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void notify() { emit notified(); }
    // A task that ends at the next notify().
    QCoro::Task<> next();
    // A task that ends once done() holds, checked at each notify(). (A
    // lambda that holds values is named before it is handed in: g++ 12
    // destroys such a temporary twice inside a co_await.)
    template <typename Done>
    QCoro::Task<> until(Done done)
    {
        while (!done())
            co_await next();
    }

signals:
    void notified();
};

} // namespace tavimo
