#include "cli/cli_main_view.h"

#include <QStringList>

namespace tavimo::cli {

void CliMainView::setStatus(const QString &text)
{
    if (ReportsFailure(text)) {
        verdict_.workflowFailed = true;
        out_.error(text);
        return;
    }
    out_.status(text);
}

void CliMainView::showMessage(const QString &text, DialogIcon icon)
{
    if (icon != DialogIcon::Critical) {
        out_.notice(text);
        return;
    }
    if (RejectsInput(text))
        verdict_.rejected = true;
    else
        verdict_.workflowFailed = true;
    out_.error(text);
}

bool RejectsInput(const QString &message)
{
    static const QStringList rejections = {
        QStringLiteral("专辑地址无法识别"),
        QStringLiteral("专辑地址输入有误"),
        QStringLiteral("歌手地址输入有误"),
        QStringLiteral("对应歌手不存在! 请再次检查输入."),
        QStringLiteral("找不到对应歌手"),
    };
    return rejections.contains(message);
}

bool ReportsFailure(const QString &status)
{
    return status.startsWith(QStringLiteral("没找到文件,下载《")) ||
           status == QStringLiteral("抱歉,没找到专辑文件,下载失败!");
}

} // namespace tavimo::cli
