#include "cli/run_verdict.h"

#include <QString>

namespace tavimo::cli {

int RunVerdict::exitStatus(const DownloadCounts &counts) const
{
    if (interrupted)
        return kExitInterrupted;
    if (rejected)
        return kExitRejected;
    if (workflowFailed || counts.failed > 0)
        return kExitSomeFailed;
    return kExitComplete;
}

QString SummaryLine(const DownloadCounts &counts)
{
    return QStringLiteral("完成: 已下载 %1 首, 已存在 %2 首, 失败 %3 首")
        .arg(counts.saved)
        .arg(counts.alreadyPresent)
        .arg(counts.failed);
}

} // namespace tavimo::cli
