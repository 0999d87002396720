#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"

#include <gtest/gtest.h>

using namespace Zelkor::Cli;

namespace {

CommandSpec sampleSpec()
{
    return {QStringLiteral("sample"),
            QStringLiteral("IN.vtb [-o OUT]"),
            QStringLiteral("説明の一行目\n二行目"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT"), QStringLiteral("出力")},
             {{QStringLiteral("dict")}, QStringLiteral("FILE"), QStringLiteral("辞書")},
             {{QStringLiteral("exact")}, {}, QStringLiteral("完全一致")}},
            1,
            1};
}

struct Parsed
{
    bool run = false;
    int status = -1;
    QString out;
    QString err;
    QString output;
    QStringList dicts;
    QStringList positional;
    bool exact = false;
};

Parsed parse(const QStringList &args)
{
    Parsed p;
    CommandLine cmd(sampleSpec());
    QTextStream out(&p.out);
    QTextStream err(&p.err);
    p.run = cmd.parse(args, out, err, &p.status);
    out.flush();
    err.flush();
    p.output = cmd.value(QStringLiteral("output"));
    p.dicts = cmd.values(QStringLiteral("dict"));
    p.positional = cmd.positional();
    p.exact = cmd.isSet(QStringLiteral("exact"));
    return p;
}

} // namespace

TEST(CommandLine, ValuesInEveryFormAndRepeatedOptions)
{
    for (const QStringList &args : {QStringList{QStringLiteral("in.vtb"), QStringLiteral("-o"), QStringLiteral("x.txt")},
                                    QStringList{QStringLiteral("--output"), QStringLiteral("x.txt"), QStringLiteral("in.vtb")},
                                    QStringList{QStringLiteral("in.vtb"), QStringLiteral("--output=x.txt")}}) {
        const Parsed p = parse(args);
        EXPECT_TRUE(p.run) << p.err.toStdString();
        EXPECT_EQ(p.status, Success);
        EXPECT_EQ(p.output, QStringLiteral("x.txt"));
        EXPECT_EQ(p.positional, QStringList{QStringLiteral("in.vtb")});
    }
    const Parsed p = parse({QStringLiteral("--dict"), QStringLiteral("a.dic"), QStringLiteral("in.vtb"),
                            QStringLiteral("--dict=b.dic"), QStringLiteral("--exact")});
    EXPECT_TRUE(p.run);
    EXPECT_EQ(p.dicts, (QStringList{QStringLiteral("a.dic"), QStringLiteral("b.dic")}));
    EXPECT_TRUE(p.exact);
    // "--" ends the options: an argument after it may begin with "-".
    const Parsed dashed = parse({QStringLiteral("--"), QStringLiteral("-odd.vtb")});
    EXPECT_TRUE(dashed.run);
    EXPECT_EQ(dashed.positional, QStringList{QStringLiteral("-odd.vtb")});
}

TEST(CommandLine, ErrorsAreJapaneseWithTheUsage)
{
    struct Case
    {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("in.vtb"), QStringLiteral("--bogus")}, QStringLiteral("不明なオプションです: --bogus")},
        {{QStringLiteral("in.vtb"), QStringLiteral("-o")}, QStringLiteral("-o には値が必要です")},
        {{QStringLiteral("in.vtb"), QStringLiteral("--exact=1")}, QStringLiteral("--exact は値を取りません")},
        {{}, QStringLiteral("引数が足りません")},
        {{QStringLiteral("a.vtb"), QStringLiteral("b.vtb")}, QStringLiteral("余分な引数です: b.vtb")},
    };
    for (const Case &c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_FALSE(p.run);
        EXPECT_EQ(p.status, BadUsage);
        EXPECT_TRUE(p.err.startsWith(QStringLiteral("zelkor-cli sample: ") + c.message)) << p.err.toStdString();
        EXPECT_TRUE(p.err.contains(QStringLiteral("使い方: zelkor-cli sample IN.vtb [-o OUT]")));
        EXPECT_TRUE(p.out.isEmpty());
    }
}

TEST(CommandLine, HelpPrintsTheUsageOfTheCommand)
{
    const Parsed p = parse({QStringLiteral("--help")});
    EXPECT_FALSE(p.run);
    EXPECT_EQ(p.status, Success);
    EXPECT_TRUE(p.err.isEmpty());
    EXPECT_TRUE(p.out.startsWith(QStringLiteral("使い方: zelkor-cli sample IN.vtb [-o OUT]\n  説明の一行目\n  二行目\n")));
    EXPECT_TRUE(p.out.contains(QStringLiteral("  -o, --output OUT  出力\n")));
    EXPECT_TRUE(p.out.contains(QStringLiteral("  --exact           完全一致\n")));
    // Every subcommand answers --help with its own usage.
    for (const Command &c : commands()) {
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        EXPECT_EQ(c.run({QStringLiteral("--help")}, o, e), Success);
        o.flush();
        EXPECT_TRUE(out.startsWith(QStringLiteral("使い方: zelkor-cli ") + c.description().name)) << out.toStdString();
    }
}

TEST(CommandLine, Ranges)
{
    struct Case
    {
        const char *text;
        bool ok;
        int first;
        int last;
    };
    const Case cases[] = {
        {"3-7", true, 3, 7}, {"5", true, 5, 5}, {" 2 - 4 ", true, 2, 4}, {"7-3", true, 7, 3},
        {"0-3", false, 0, 0}, {"x-3", false, 0, 0}, {"3-", false, 0, 0}, {"-3", false, 0, 0}, {"1-2-3", false, 0, 0},
    };
    for (const Case &c : cases) {
        int first = 0;
        int last = 0;
        EXPECT_EQ(parseRange(QString::fromLatin1(c.text), &first, &last), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(first, c.first) << c.text;
            EXPECT_EQ(last, c.last) << c.text;
        }
    }
}
