// zelkor-cli: the file-producing commands of Zelkor for scripts and pipelines.
#include "platform/versioninfo.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

using namespace Zelkor;

namespace {

void printUsage(QTextStream &s)
{
    s << "使い方: zelkor-cli コマンド [引数]\n"
         "        zelkor-cli コマンド --help     コマンドの説明\n"
         "        zelkor-cli --help | --version\n\n"
         "コマンド:\n";
    for (const Cli::Command &c : Cli::commands()) {
        const Cli::CommandSpec spec = c.spec();
        s << "  " << spec.name << " " << spec.synopsis << "\n";
    }
    s << "\n終了状態: 0 成功、1 利用者の誤り（入力、ファイル）、2 使い方の誤り。\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);

    if (args.isEmpty()) {
        printUsage(err);
        return Cli::BadUsage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        printUsage(out);
        return Cli::Success;
    }
    if (command == QLatin1String("--version")) {
        out << "zelkor-cli " << fileVersion() << " (Zelkor Version " << versionText(fileVersion()) << ")\n";
        return Cli::Success;
    }
    for (const Cli::Command &c : Cli::commands()) {
        if (command != c.spec().name)
            continue;
        const int code = c.run(args, out, err);
        out.flush();
        err.flush();
        return code;
    }
    err << "zelkor-cli: 不明なコマンドです: " << command << "\n\n";
    printUsage(err);
    return Cli::BadUsage;
}
