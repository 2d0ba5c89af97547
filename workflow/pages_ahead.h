#pragma once

#include "net/page_reply.h"

#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <deque>

namespace tavimo {

struct WorkflowContext;

// Pages taken one after the other, in the order of their addresses, each
// asked for ahead of its turn: while one is taken, up to `ahead` pages after
// it are already on their way, so the tracks of earlier pages download
// meanwhile and no page fetch stands alone on the critical path.
class PagesAhead {
public:
    PagesAhead(const WorkflowContext &context, QString charset, QStringList addresses, int ahead);

    bool atEnd() const { return taken() >= addresses_.size(); }
    // A task of the next page; its text is empty once the program is closing.
    QCoro::Task<PageReply> next();

private:
    void askAhead();
    qsizetype taken() const { return asked_ - qsizetype(inFlight_.size()); }

    const WorkflowContext &context_;
    QString charset_;
    QStringList addresses_;
    int ahead_;
    qsizetype asked_ = 0;
    std::deque<QCoro::Task<PageReply>> inFlight_;
};

} // namespace tavimo
