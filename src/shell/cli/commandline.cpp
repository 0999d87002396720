#include "shell/cli/commandline.h"

#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "shell/cli/clicommands.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace Zelkor::Cli {

namespace {

QString optionNames(const OptionSpec &option)
{
    QStringList names;
    for (const QString &n : option.names)
        names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName.isEmpty())
        text += QLatin1Char(' ') + option.valueName;
    return text;
}

} // namespace

CommandLine::CommandLine(CommandSpec description)
    : m_spec(std::move(description))
{
    // "-o" is an option of its own, never a bundle of one-letter options.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec &o : m_spec.options) {
        QCommandLineOption option(o.names, o.description);
        if (!o.valueName.isEmpty())
            option.setValueName(o.valueName);
        m_parser.addOption(option);
    }
    m_parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                          QStringLiteral("この説明を表示する")));
}

bool CommandLine::parse(const QStringList &args, QTextStream &out, QTextStream &err, int *exitCode)
{
    *exitCode = BadUsage;
    // The parser expects the program name first.
    if (!m_parser.parse(QStringList{QStringLiteral("zelkor-cli")} + args)) {
        usageError(err, japaneseError(args));
        return false;
    }
    if (m_parser.isSet(QStringLiteral("help"))) {
        out << usage();
        *exitCode = Success;
        return false;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (positional.size() < m_spec.minPositional) {
        usageError(err, QStringLiteral("引数が足りません"));
        return false;
    }
    if (positional.size() > m_spec.maxPositional) {
        usageError(err, QStringLiteral("余分な引数です: %1").arg(positional.at(m_spec.maxPositional)));
        return false;
    }
    // A title goes into line-based files: a line end in it would forge lines of its own.
    const bool takesTitle = std::any_of(m_spec.options.begin(), m_spec.options.end(),
                                        [](const OptionSpec &o) { return o.names.contains(QStringLiteral("title")); });
    if (takesTitle && m_parser.isSet(QStringLiteral("title")) && hasControlCharacters(m_parser.value(QStringLiteral("title")))) {
        usageError(err, QStringLiteral("--title に改行やタブなどの制御文字は使えません"));
        return false;
    }
    *exitCode = Success;
    return true;
}

QString CommandLine::japaneseError(const QStringList &args) const
{
    const QStringList unknown = m_parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // The option as it was typed, dashes included.
        static const QRegularExpression dashes(QStringLiteral("^-+"));
        for (const QString &a : args)
            if (a.startsWith(QLatin1Char('-')) && a.section(QLatin1Char('='), 0, 0).remove(dashes) == unknown.constFirst())
                return QStringLiteral("不明なオプションです: %1").arg(a.section(QLatin1Char('='), 0, 0));
        return QStringLiteral("不明なオプションです: %1").arg(unknown.constFirst());
    }
    const QString text = m_parser.errorText();
    static const struct
    {
        const char *pattern;
        const char *japanese;
    } known[] = {
        {"^Missing value after '(.*)'\\.$", "%1 には値が必要です"},
        {"^Unexpected value after '(.*)'\\.$", "%1 は値を取りません"},
    };
    for (const auto &k : known) {
        const QRegularExpressionMatch m = QRegularExpression(QString::fromLatin1(k.pattern)).match(text);
        if (m.hasMatch())
            return QString::fromUtf8(k.japanese).arg(m.captured(1));
    }
    return QStringLiteral("引数が正しくありません: %1").arg(text);
}

QString CommandLine::usage() const
{
    QString text = QStringLiteral("使い方: zelkor-cli %1 %2\n").arg(m_spec.name, m_spec.synopsis);
    if (!m_spec.description.isEmpty()) {
        for (const QString &line : m_spec.description.split(QLatin1Char('\n')))
            text += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    std::vector<OptionSpec> all = m_spec.options;
    all.push_back({{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("この説明を表示する")});
    qsizetype width = 0;
    for (const OptionSpec &o : all)
        width = std::max(width, optionNames(o).size());
    text += QStringLiteral("オプション:\n");
    for (const OptionSpec &o : all) {
        const QString names = optionNames(o);
        text += QStringLiteral("  ") + names + QString(width - names.size() + 2, QLatin1Char(' '));
        // Further lines of a description stand under its first one.
        text += o.description.split(QLatin1Char('\n')).join(QLatin1Char('\n') + QString(width + 4, QLatin1Char(' ')));
        text += QLatin1Char('\n');
    }
    return text;
}

QString CommandLine::prefix() const
{
    return QStringLiteral("zelkor-cli %1: ").arg(m_spec.name);
}

int CommandLine::usageError(QTextStream &err, const QString &message) const
{
    err << prefix() << message << "\n" << usage();
    return BadUsage;
}

int CommandLine::userError(QTextStream &err, const QString &message) const
{
    // The program says it was interrupted, once, whatever failed after the interrupt.
    if (Feedback::interrupted())
        return Interrupted;
    err << prefix() << message << "\n";
    return UserError;
}

bool parseRange(const QString &text, int *first, int *last)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d+)\\s*(?:-\\s*(\\d+)\\s*)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    bool ok1 = false;
    bool ok2 = true;
    *first = m.captured(1).toInt(&ok1);
    *last = m.captured(2).isEmpty() ? *first : m.captured(2).toInt(&ok2);
    return ok1 && ok2 && *first >= 1 && *last >= 1;
}

OptionSpec encodingOptionSpec()
{
    return {{QStringLiteral("encoding")}, QStringLiteral("cp932|utf-8"),
            QStringLiteral("CSV の文字コード（既定 cp932。R や Python で読むときは utf-8 が簡単）")};
}

bool encodingOption(const CommandLine &cmd, TextEncoding *encoding)
{
    *encoding = TextEncoding::Cp932;
    return !cmd.isSet(QStringLiteral("encoding")) || encodingFromName(cmd.value(QStringLiteral("encoding")), encoding);
}

QString encodingOptionError()
{
    return QStringLiteral("--encoding は cp932 か utf-8 で指定して下さい");
}

QString settingsFileProblem(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.isFile())
        return QString();
    if (info.isDir())
        return QStringLiteral("設定ファイルではなくフォルダです: %1").arg(fileName);
    if (info.exists())
        return QStringLiteral("設定ファイルは通常のファイルではありません: %1").arg(fileName);
    return QStringLiteral("設定ファイルがありません: %1").arg(fileName);
}

OptionSpec groupByOptionSpec()
{
    return {{QStringLiteral("group-by")}, QStringLiteral("ITEM"),
            QStringLiteral("見出し項目（番号か名前）の値で測定を群に分けてから計算する（表ファイルは変えない）")};
}

} // namespace Zelkor::Cli
