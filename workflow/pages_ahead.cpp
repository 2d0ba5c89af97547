#include "workflow/pages_ahead.h"

#include "workflow/workflow_context.h"

#include <algorithm>

namespace tavimo {

PagesAhead::PagesAhead(const WorkflowContext &context, QString charset, QStringList addresses, int ahead)
    : context_(context), charset_(std::move(charset)), addresses_(std::move(addresses)), ahead_(std::max(0, ahead))
{
}

// The page about to be taken and up to `ahead` after it.
void PagesAhead::askAhead()
{
    while (asked_ < addresses_.size() && asked_ <= taken() + ahead_)
        inFlight_.push_back(context_.fetchPage(charset_, addresses_.at(asked_++)));
}

QCoro::Task<PageReply> PagesAhead::next()
{
    askAhead();
    QCoro::Task<PageReply> page = std::move(inFlight_.front());
    inFlight_.pop_front();
    co_return co_await page;
}

} // namespace tavimo
