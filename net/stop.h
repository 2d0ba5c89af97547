#pragma once

#include <QObject>

namespace tavimo {

// The one stop of a run: raised once (a window closing, Ctrl-C, a disk that
// refuses files), it ends every wait that watches it at once.
class Stop : public QObject {
    Q_OBJECT
public:
    explicit Stop(QObject *parent = nullptr) : QObject(parent) {}

    void raise();
    bool isRaised() const { return raised_; }

signals:
    void raised();

private:
    bool raised_ = false;
};

} // namespace tavimo
