// zelkor-cli: the file-producing commands of Zelkor for scripts and pipelines.
#include "platform/feedback.h"
#include "platform/print/fontsubstitutes.h"
#include "platform/versioninfo.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Zelkor;

namespace {

void printUsage(QTextStream &s)
{
    s << "使い方: zelkor-cli コマンド [引数]\n"
         "        zelkor-cli コマンド --help     コマンドの説明\n"
         "        zelkor-cli --help | --version\n\n"
         "コマンド:\n";
    for (const Cli::Command &c : Cli::commands()) {
        const Cli::CommandSpec description = c.description();
        s << "  " << description.name << " " << description.synopsis << "\n";
    }
    s << "\n終了状態: 0 成功、1 利用者の誤り（入力、ファイル）、2 使い方の誤り、\n"
         "          130 中断（Ctrl+C。書きかけのファイルは残りません）。\n";
}

// The first interrupt (Ctrl+C) or termination request stops the command's work where nothing is
// left half-written; a second one ends the program at once.
extern "C" void stopWork(int signal)
{
    Feedback::interruptAll();
    std::signal(signal, SIG_DFL);
}

// The PDF prints of "export" and the diagrams of "ordination" draw text, which takes the fonts
// of a GUI application.
bool drawsText(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const bool exporting = std::strcmp(argv[1], "export") == 0;
    const bool ordination = std::strcmp(argv[1], "ordination") == 0;
    for (int i = 2; i < argc; ++i) {
        if (exporting && (std::strcmp(argv[i], "print-pdf") == 0 || std::strcmp(argv[i], "simple-pdf") == 0))
            return true;
        if (ordination && (std::strcmp(argv[i], "--plot") == 0 || std::strncmp(argv[i], "--plot=", 7) == 0))
            return true;
    }
    return false;
}

// Qt's own warnings (a missing runtime folder, font configuration) are not the program's
// messages: stderr carries only those. ZELKOR_QT_MESSAGES=1 shows them for debugging.
void qtMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg || qEnvironmentVariableIntValue("ZELKOR_QT_MESSAGES") == 1)
        std::fprintf(stderr, "zelkor-cli: %s\n", text.toLocal8Bit().constData());
}

// An argument whose bytes are not UTF-8 (a name typed in CP932, say) would be read with
// replacement characters and name another file: the first such argument, or -1.
int undecodableArgument(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (QFile::encodeName(QFile::decodeName(bytes)) != bytes)
            return i;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(qtMessage);
    if (const int bad = undecodableArgument(argc, argv); bad > 0) {
        std::fprintf(stderr, "zelkor-cli: %d 番目の引数「%s」は UTF-8 の文字として読めません。"
                             "ファイル名などは UTF-8 で指定して下さい\n",
                     bad, QFile::decodeName(QByteArray(argv[bad])).toUtf8().constData());
        return Cli::BadUsage;
    }
    std::unique_ptr<QCoreApplication> application;
    if (drawsText(argc, argv)) {
        // A batch program needs no display: drawn off screen unless a platform is asked for.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
        installFontSubstitutes();
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication &app = *application;
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
        out << "zelkor-cli " << programVersion() << "\n";
        return Cli::Success;
    }
    for (const Cli::Command &c : Cli::commands()) {
        if (command != c.description().name)
            continue;
        std::signal(SIGINT, stopWork);
        std::signal(SIGTERM, stopWork);
        int code = c.run(args, out, err);
        if (code != Cli::Success && Feedback::interrupted()) {
            err << "zelkor-cli " << command << ": " << Feedback::canceledMessage() << "\n";
            code = Cli::Interrupted;
        }
        out.flush();
        err.flush();
        return code;
    }
    err << "zelkor-cli: 不明なコマンドです: " << command << "\n\n";
    printUsage(err);
    return Cli::BadUsage;
}
