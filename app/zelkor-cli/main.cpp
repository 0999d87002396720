// zelkor-cli: the file-producing commands of Zelkor for scripts and pipelines.
#include "platform/versioninfo.h"
#include "shell/cli/clicommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

using namespace Zelkor;

namespace {

struct Command
{
    const char *name;
    const char *synopsis;
    Cli::CommandFunction run;
};

// Commands appear here as they become available.
const Command kCommands[] = {
    {"info", "info DB.zki [--releves A-B]", Cli::runInfo},
    {"mkdb", "mkdb SITES.csv SPECIES.csv -o DB.zki [--title TEXT] [--header-items ITEMS.csv] [--k DIGIT] [--d DIGIT]", Cli::runMkdb},
    {"extract", "extract DB.zki -o OUT.vtb [--table IN.vtb] [--settings FILE.ini] [--dict FILE.dic]...\n"
                "          [--no-data-items] [--records A-B] [--mesh PREFIX] [--cond JOIN:MIN:NAME]... [--title TEXT]",
     Cli::runExtract},
    {"search", "search IN.vtb TEXT [--exact]", Cli::runSearch},
};

void printUsage(QTextStream &s)
{
    s << "usage: zelkor-cli COMMAND [ARGUMENTS]\n"
         "       zelkor-cli --help | --version\n\n"
         "commands:\n";
    for (const Command &c : kCommands) {
        if (c.run)
            s << "  " << c.synopsis << "\n";
    }
    s << "\nExit status: 0 success, 1 user error, 2 bad usage.\n";
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
    for (const Command &c : kCommands) {
        if (command != QLatin1String(c.name) || !c.run)
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
