#include "cli/cli_options.h"

#include "cli/command_table.h"
#include "cli/option_table.h"
#include "download/output_template.h"

#include <QCommandLineParser>

#include <cmath>
#include <limits>
#include <utility>

namespace tavimo::cli {

namespace {

constexpr int kMaxJobs = 16;
constexpr int kMaxRetries = 100;
constexpr double kMaxSeconds = 3600;

// Says in the program's words why the option parser stopped.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("未知选项: ") + parser.unknownOptionNames().join(QStringLiteral(", "));
    for (const QString &argument : arguments.mid(1)) {
        if (argument.startsWith(u'-') && argument.contains(u'='))
            return QStringLiteral("选项不接受取值: ") + argument.section(u'=', 0, 0);
    }
    return QStringLiteral("选项缺少取值: ") + arguments.last();
}

CliOptions failed(const QString &error)
{
    CliOptions options;
    options.error = error;
    return options;
}

// The options that belong to one subcommand only.
const QStringList kCommandOptions = {QStringLiteral("playlist"), QStringLiteral("name"), QStringLiteral("cookies"),
                                     QStringLiteral("full")};

// The options a recorded source keeps beside its command's own.
const QStringList kShapeOptions = {QStringLiteral("o"), QStringLiteral("output"), QStringLiteral("m3u"),
                                   QStringLiteral("tags")};

QString misplacedOption(const QCommandLineParser &parser, Command command)
{
    const Command owners[] = {Command::AlbumPlaylist, Command::ArtistName, Command::Liked, Command::Sync};
    for (qsizetype i = 0; i < kCommandOptions.size(); ++i) {
        if (parser.isSet(kCommandOptions.at(i)) && command != owners[i])
            return QStringLiteral("--") + kCommandOptions.at(i);
    }
    return QString();
}

void addOptions(QCommandLineParser &parser)
{
    for (const OptionRow &row : OptionRows()) {
        QCommandLineOption option(row.names);
        if (row.valueName != nullptr)
            option.setValueName(QLatin1String(row.valueName));
        parser.addOption(option);
    }
}

// Reads the command, its arguments and its own options into options; why
// they cannot be used, or the empty text.
QString readCommand(const QCommandLineParser &parser, CliOptions &options)
{
    const QStringList words = parser.positionalArguments();
    const Subcommand *subcommand = FindSubcommand(words.first());
    if (subcommand == nullptr)
        return QStringLiteral("未知命令: ") + words.first();
    const bool withOption = subcommand->option != nullptr && parser.isSet(QLatin1String(subcommand->option));
    const Command command = withOption ? subcommand->withOption : subcommand->plain;
    const auto [fewest, most] = WordsOf(command);
    if (words.size() < fewest)
        return QStringLiteral("命令 %1 缺少参数").arg(words.first());
    if (words.size() > most)
        return QStringLiteral("多余的参数: ") + words.last();
    const QString misplaced = misplacedOption(parser, command);
    if (!misplaced.isEmpty())
        return QStringLiteral("选项 %1 不适用于命令 %2").arg(misplaced, words.first());
    options.command = command;
    options.arguments = withOption ? QStringList{parser.value(QLatin1String(subcommand->option))} : words.mid(1);
    options.cookiesFile = parser.value(QStringLiteral("cookies"));
    return QString();
}

// An option given in seconds (fractions allowed) from lowest to an hour,
// into milliseconds; false when it is given and unusable.
bool readSeconds(const QCommandLineParser &parser, const QString &name, double lowest, int &milliseconds)
{
    if (!parser.isSet(name))
        return true;
    bool isNumber = false;
    const double seconds = parser.value(name).toDouble(&isNumber);
    if (!isNumber || !(seconds >= lowest) || seconds > kMaxSeconds)
        return false;
    milliseconds = int(std::lround(seconds * 1000));
    return true;
}

// Reads the options that shape the files into shape; why they cannot be
// used, or the empty text.
QString readShape(const QCommandLineParser &parser, FileShape &shape)
{
    shape.tags = parser.isSet(QStringLiteral("tags"));
    shape.m3u = parser.isSet(QStringLiteral("m3u"));
    if (!parser.isSet(QStringLiteral("output")))
        return QString();
    QString error;
    shape.output = parser.value(QStringLiteral("output"));
    return OutputTemplate::parse(shape.output, error) ? QString() : error;
}

// Reads the options that say how a run goes; why they cannot be used, or
// the empty text.
QString readSettings(const QCommandLineParser &parser, CliOptions &options)
{
    bool isNumber = true;
    if (parser.isSet(QStringLiteral("jobs")))
        options.jobs = parser.value(QStringLiteral("jobs")).toInt(&isNumber);
    if (!isNumber || options.jobs < 1 || options.jobs > kMaxJobs)
        return QStringLiteral("--jobs 的取值须是 1 到 16 之间的数");
    if (parser.isSet(QStringLiteral("retries")))
        options.retries = parser.value(QStringLiteral("retries")).toInt(&isNumber);
    if (!isNumber || options.retries < 0 || options.retries > kMaxRetries)
        return QStringLiteral("--retries 的取值须是 0 到 100 之间的数");
    if (parser.isSet(QStringLiteral("limit-rate"))) {
        options.rateLimit = ParseRate(parser.value(QStringLiteral("limit-rate")));
        if (options.rateLimit <= 0)
            return QStringLiteral("--limit-rate 的取值须是正数, 可带 k, m 或 g, 如 500k");
    }
    if (!readSeconds(parser, QStringLiteral("sleep-requests"), 0, options.sleepRequestsMs))
        return QStringLiteral("--sleep-requests 的取值须是 0 到 3600 之间的秒数, 可带小数");
    if (!readSeconds(parser, QStringLiteral("timeout"), 1, options.stallTimeoutMs))
        return QStringLiteral("--timeout 的取值须是 1 到 3600 之间的秒数, 可带小数");
    options.list = parser.isSet(QStringLiteral("list"));
    if (options.list && options.command == Command::Channel)
        return QStringLiteral("命令 channel 要边下载边发现歌曲, 不能与 --list 一起使用");
    options.json = parser.isSet(QStringLiteral("json"));
    options.archiveFile = parser.value(QStringLiteral("download-archive"));
    if (parser.isSet(QStringLiteral("download-archive")) && options.archiveFile.isEmpty())
        return QStringLiteral("--download-archive 须给出文件");
    options.checkPresent = parser.isSet(QStringLiteral("check-present"));
    if (QString error = readShape(parser, options.shape); !error.isEmpty())
        return error;
    options.breakOnExisting = parser.isSet(QStringLiteral("break-on-existing"));
    // A listing fetches nothing, so it leaves no source.
    options.record = !parser.isSet(QStringLiteral("no-record")) && !options.list;
    options.full = parser.isSet(QStringLiteral("full"));
    options.batchFile = parser.value(QStringLiteral("batch-file"));
    if (parser.isSet(QStringLiteral("batch-file")) && options.batchFile.isEmpty())
        return QStringLiteral("--batch-file 须给出文件");
    options.root = parser.value(QStringLiteral("root"));
    options.demo = parser.isSet(QStringLiteral("demo"));
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    return QString();
}

} // namespace

CliOptions ParseCliOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return failed(parseError(parser, arguments));

    CliOptions options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.answer = HelpText();
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.answer = QStringLiteral("tavimo-dl %1\n").arg(QStringLiteral(TAVIMO_VERSION));
        return options;
    }
    const bool batch = parser.isSet(QStringLiteral("batch-file"));
    if (parser.positionalArguments().isEmpty() && !batch)
        return failed(QStringLiteral("没有给出命令 (可用 --help 查看用法)"));
    if (!parser.positionalArguments().isEmpty()) {
        if (const QString error = readCommand(parser, options); !error.isEmpty())
            return failed(error);
    } else if (const QString misplaced = misplacedOption(parser, Command::None); !misplaced.isEmpty()) {
        return failed(QStringLiteral("选项 %1 须跟在它的命令后面").arg(misplaced));
    }
    const bool runsNoJob = options.command == Command::Channels || options.command == Command::Check ||
                           options.command == Command::Sync;
    if (batch && runsNoJob)
        return failed(QStringLiteral("命令 %1 不能与 --batch-file 一起使用").arg(parser.positionalArguments().first()));
    if (const QString error = readSettings(parser, options); !error.isEmpty())
        return failed(error);
    // A sync shapes each source's files as the source was recorded.
    if (options.command == Command::Sync && options.shape != FileShape{})
        return failed(QStringLiteral("命令 sync 按每个来源记录的 -o, --m3u 和 --tags 放置文件, 不能另行指定"));
    if (options.command == Command::Sync)
        options.breakOnExisting = !options.full;
    if (options.command == Command::Sync && !options.arguments.isEmpty()) {
        if (!options.root.isEmpty())
            return failed(QStringLiteral("命令 sync 的文件夹与 --root 只能给出一个"));
        options.root = options.arguments.first();
    }
    return options;
}

QList<CliJob> JobsOf(const CliOptions &options)
{
    QList<CliJob> jobs;
    if (options.command == Command::None)
        return jobs;
    for (const QString &argument : options.arguments)
        jobs.append({options.command, argument, options.cookiesFile, options.shape});
    if (options.arguments.isEmpty())
        jobs.append({options.command, QString(), options.cookiesFile, options.shape});
    return jobs;
}

std::optional<QList<CliJob>> ParseJobLine(const QStringList &words, QString &error, JobLine kind)
{
    QCommandLineParser parser;
    addOptions(parser);
    const QStringList arguments = QStringList{QStringLiteral("tavimo-dl")} + words;
    if (!parser.parse(arguments)) {
        error = parseError(parser, arguments);
        return std::nullopt;
    }
    for (const QString &name : parser.optionNames()) {
        if (!kCommandOptions.contains(name) && !(kind == JobLine::Source && kShapeOptions.contains(name))) {
            error =
                QStringLiteral("选项 %1 只能写在命令行或配置文件中").arg(name.size() == 1 ? u'-' + name : "--" + name);
            return std::nullopt;
        }
    }
    CliOptions options;
    error = words.isEmpty() ? QStringLiteral("没有给出命令") : readCommand(parser, options);
    const bool runsNoJob = options.command == Command::Channels || options.command == Command::Check ||
                           options.command == Command::Sync;
    if (error.isEmpty() && runsNoJob)
        error = (kind == JobLine::Source ? QStringLiteral("来源记录中不能使用命令 ")
                                         : QStringLiteral("批处理文件中不能使用命令 ")) +
                words.first();
    if (error.isEmpty())
        error = readShape(parser, options.shape);
    if (!error.isEmpty())
        return std::nullopt;
    return JobsOf(options);
}

QString GeneralOptionsError(const QStringList &words)
{
    QCommandLineParser parser;
    addOptions(parser);
    const QStringList arguments = QStringList{QStringLiteral("tavimo-dl")} + words;
    if (!parser.parse(arguments))
        return parseError(parser, arguments);
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("只能写选项, 不能写命令或参数: ") + parser.positionalArguments().first();
    // Options that would make every run do something else than asked.
    static const QStringList notInConfig = {QStringLiteral("list"),   QStringLiteral("help"),
                                            QStringLiteral("h"),      QStringLiteral("version"),
                                            QStringLiteral("config"), QStringLiteral("ignore-config")};
    for (const QString &name : parser.optionNames()) {
        if (kCommandOptions.contains(name) || notInConfig.contains(name))
            return QStringLiteral("选项 %1 不能写在配置文件中").arg(name.size() == 1 ? u'-' + name : "--" + name);
    }
    CliOptions options;
    return readSettings(parser, options);
}

qint64 ParseRate(const QString &text)
{
    static const QString units = QStringLiteral("kmg");
    QString digits = text.trimmed().toLower();
    int shift = 0;
    if (!digits.isEmpty() && units.contains(digits.back())) {
        shift = 10 * int(units.indexOf(digits.back()) + 1);
        digits.chop(1);
    }
    bool isNumber = false;
    const qint64 value = digits.toLongLong(&isNumber);
    if (!isNumber || value < 0 || value > (qint64(1) << 40) || digits.startsWith(u'+'))
        return -1;
    return value << shift;
}

} // namespace tavimo::cli
