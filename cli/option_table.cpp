#include "cli/option_table.h"

namespace tavimo::cli {

namespace {

const char kUsage[] = R"(用法: tavimo-dl [选项] 命令 [参数]
从 Tavimo 电台及其音乐目录批量下载 MP3 歌曲.

选项:
)";

const char kSubcommands[] = R"(
命令:
  album URL...           按专辑页面地址下载专辑, 可给出多个地址
  album --playlist URL   通过电台的播放列表下载一张专辑
  artist URL...          按歌手页面地址下载歌手的全部专辑, 可给出多个地址
  artist --name NAME     按名字查找歌手, 再下载其全部专辑
  channels               列出 400 个热门兆赫: 标识, 名称, 歌曲数
  channel ID             下载一个热门兆赫, 直到不再出现新歌
  liked [--cookies FILE] 下载已登录用户的红心歌曲; 不带 --cookies 时
                         使用窗口程序 tavimo 的浏览器保存的登录信息
  check [DIR]            检查 DIR (默认: 下载文件夹) 之下的 .mp3 文件是否完整,
                         读取每个字节, 核对编码器记录的帧数、字节数与校验值;
                         每个不完整的文件列出一行及原因; 不发出网络请求
  sync [DIR]             重新运行 DIR (默认: 下载文件夹) 中记录的全部来源, 只取新的
                         歌曲 (带 --break-on-existing); 与 --list 一起时只列出

输出模板 (-o): 字段 {title} {album} {artist} {position} {channel} {id},
{position:02} 补足两位数字; "/" 分隔文件夹, 扩展名 .mp3 自动加上.
空的字段为空, 因此为空的文件夹层级被略去. 默认的模板:
  album, album --playlist   {album}/{title}
  artist                    歌手 - {artist}/{album}/{title}
  channel                   {channel}/{title}
  liked                     TavimoFM.加心/{title}

配置文件: $XDG_CONFIG_HOME/tavimo/tavimo-dl.conf (未设置该变量时为
~/.config/tavimo/tavimo-dl.conf), 每行写一个选项, 写法与命令行相同, # 开头的行
为注释; 命令行上的选项优先.

退出状态: 0 全部歌曲已在磁盘上, 1 部分歌曲下载失败, 需要的页面无法获取,
服务没有所要的内容或磁盘出错 (check: 有不完整的文件), 2 参数或地址的写法无法使用
(未发出任何请求), 130 被中断.
)";

} // namespace

const QList<OptionRow> &OptionRows()
{
    static const QList<OptionRow> rows = {
        {{QStringLiteral("playlist")}, "url", "album: 用电台的播放列表方式下载 <url>"},
        {{QStringLiteral("name")}, "name", "artist: 按名字 <name> 查找歌手"},
        {{QStringLiteral("cookies")},
         "file",
         "liked: 从 Netscape 格式的 cookies.txt <file> 读取登录信息 (默认: 窗口程序浏览器保存的登录信息)"},
        {{QStringLiteral("root")}, "dir", "下载到 <dir> (默认: 程序所在文件夹, 不可写时为 ~/Music/TavimoFM)"},
        {{QStringLiteral("demo")}, nullptr, "使用内置的服务模拟器运行"},
        {{QStringLiteral("jobs")}, "n", "同时下载最多 <n> 首歌曲 (1-16, 默认 1)"},
        {{QStringLiteral("retries")}, "n", "连接出错或服务器暂时出错时每首最多重试 <n> 次 (默认 3, 0 不重试)"},
        {{QStringLiteral("limit-rate")}, "rate", "每个下载的速度上限, 如 500k, 2M"},
        {{QStringLiteral("list")}, nullptr, "只列出要下载的歌曲, 不下载"},
        {{QStringLiteral("json")}, nullptr, "在标准输出上每首歌曲和汇总各输出一行 JSON"},
        {{QStringLiteral("tags")}, nullptr, "按服务提供的信息写入 ID3v2.4 标签"},
        {{QStringLiteral("download-archive")},
         "file",
         "在 <file> 中记录已下载的歌曲, 并跳过其中记录过的歌曲 (不发出请求)"},
        {{QStringLiteral("break-on-existing")},
         nullptr,
         "重新运行时跳过已有的内容: 下载记录中完整的专辑不再读取页面, 红心列表读到全部已有的一页即停止"},
        {{QStringLiteral("no-record")}, nullptr, "不把本次运行的来源记入下载文件夹的 .tavimo/sources"},
        {{QStringLiteral("full")}, nullptr, "sync: 读取全部页面, 不因已有的内容提前停止"},
        {{QStringLiteral("check-present")},
         nullptr,
         "已存在的文件须是完整的 MP3 才跳过; 不完整的改名为 .mp3.broken 后重新下载"},
        {{QStringLiteral("o"), QStringLiteral("output")}, "template", "按模板 <template> 放置歌曲文件 (见下文)"},
        {{QStringLiteral("m3u")}, nullptr, "为每张专辑, 每个兆赫和红心歌曲写一个 .m3u8 播放列表"},
        {{QStringLiteral("a"), QStringLiteral("batch-file")},
         "file",
         "依次运行 <file> 中每行一条的命令 (- 为标准输入), # 开头的行为注释"},
        {{QStringLiteral("sleep-requests")}, "seconds", "页面和接口请求之间至少间隔 <seconds> 秒 (可带小数)"},
        {{QStringLiteral("timeout")}, "seconds", "页面或歌曲 <seconds> 秒收不到数据即算失败 (1-3600, 默认 30)"},
        {{QStringLiteral("config")}, "file", "读取配置文件 <file>, 而不是默认的配置文件"},
        {{QStringLiteral("ignore-config")}, nullptr, "不读取任何配置文件"},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, nullptr, "只显示错误和汇总"},
        {{QStringLiteral("version")}, nullptr, "显示版本"},
        {{QStringLiteral("h"), QStringLiteral("help")}, nullptr, "显示本帮助"},
    };
    return rows;
}

QString HelpText()
{
    QString text = QString::fromUtf8(kUsage);
    for (const OptionRow &row : OptionRows()) {
        QStringList names;
        for (const QString &name : row.names)
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        QString left = names.join(QStringLiteral(", "));
        if (row.valueName != nullptr)
            left += QStringLiteral(" <%1>").arg(QLatin1String(row.valueName));
        text += QStringLiteral("  %1  %2\n").arg(left, -20).arg(QString::fromUtf8(row.description));
    }
    return text + QString::fromUtf8(kSubcommands);
}
} // namespace tavimo::cli
