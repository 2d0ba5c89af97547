#include "cli/exit_status.h"

#include <algorithm>

namespace tavimo::cli {

int ExitStatus(const RunResult &result, bool interrupted)
{
    if (interrupted)
        return kExitInterrupted;
    switch (result.end) {
    case RunEnd::Done:
        return result.counts.failed > 0 ? kExitSomeFailed : kExitComplete;
    case RunEnd::Rejected:
        return kExitRejected;
    case RunEnd::Stopped:
        return kExitInterrupted;
    case RunEnd::NothingFound:
    case RunEnd::Failed:
        break;
    }
    return kExitSomeFailed;
}

void RunVerdict::weigh(const RunResult &result, int jobStatus)
{
    if (jobStatus > status || (result.end != RunEnd::Done && end == RunEnd::Done)) {
        end = result.end;
        reason = result.reason;
        failedPage = result.failedPage;
    }
    status = std::max(status, jobStatus);
}

QString SummaryLine(const DownloadCounts &counts)
{
    QString line = QStringLiteral("完成: 已下载 %1 首, 已存在 %2 首, 失败 %3 首")
                       .arg(counts.saved)
                       .arg(counts.alreadyPresent)
                       .arg(counts.failed);
    if (counts.archived > 0)
        line += QStringLiteral("; %1 首见于下载记录, 未再请求").arg(counts.archived);
    if (counts.brokenReplaced > 0)
        line += QStringLiteral("; %1 个不完整的文件已改名为 .broken 并重新下载").arg(counts.brokenReplaced);
    return line;
}

} // namespace tavimo::cli
