// zelkor-cli export: the outputs of a table file, as the output panel and the site-data menu
// write them.
#include "platform/feedback.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"

#include "analysis/cornellwriter.h"
#include "analysis/matrixoutputoptions.h"
#include "analysis/pcordmatrixwriter.h"
#include "analysis/valuematrixwriter.h"
#include "database/siteexport.h"
#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "output/tableprinter.h"
#include "output/tabletextfile.h"
#include "output/tableworkbook.h"
#include "platform/fileaccess.h"
#include "platform/print/qtprinterstream.h"
#include "platform/safesavefile.h"
#include "platform/scripteduserinterface.h"
#include "platform/textfile.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QIODevice>
#include <QPdfWriter>

#include <algorithm>
#include <functional>
#include <map>

namespace Zelkor::Cli {

namespace {

/// The table file and what the options make of it.
struct ExportJob
{
    TableModel model;
    HeaderItems items;
    Settings settings;
    QString title;
    OutputRange range;
    QString output;
    /// The encoding of the CSV outputs.
    TextEncoding encoding = TextEncoding::Cp932;
    /// What the run tells beside its output, one line each.
    QStringList warnings;
};

/// Writes one format; false with *error.
using Writer = std::function<bool(ExportJob &job, QString *error)>;

TableLayoutOptions layoutOptions(const ExportJob &job)
{
    return TableLayoutOptions::make(job.title, job.range, job.settings);
}

bool writeText(ExportJob &job, QString *error)
{
    const TableLayoutOptions options = layoutOptions(job);
    TableTextFile file;
    Feedback feedback;
    if (file.write(TableLayout(job.model, job.items, options), job.range.firstSpecies, job.range.lastSpecies, job.output,
                   &feedback))
        return true;
    *error = file.errorString();
    return false;
}

bool writeWorkbook(ExportJob &job, QString *error)
{
    TableWorkbook workbook(job.model, job.items, layoutOptions(job));
    Feedback feedback;
    if (workbook.write(job.output, &feedback))
        return true;
    *error = workbook.errorString();
    return false;
}

// The PDF writer's output device over a safely written file.
class SafeSaveDevice : public QIODevice
{
public:
    explicit SafeSaveDevice(SafeSaveFile *file) : m_file(file) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override { return m_file->write(data, size) ? size : -1; }

private:
    SafeSaveFile *m_file;
};

// The prints as a PDF file: A4 landscape with margins of 15 mm, in the print font (the table
// font of the settings). The file appears under its name only when it was written whole.
using PrintRoutine = std::function<bool(TablePrinter &, PrinterStream &, Feedback *)>;

bool writePdf(ExportJob &job, const PrintRoutine &print, QString *error)
{
    SafeSaveFile file(job.output);
    if (!file.open()) {
        *error = file.errorString();
        return false;
    }
    bool ok = false;
    {
        SafeSaveDevice device(&file);
        QPdfWriter pdf(&device);
        pdf.setTitle(job.title);
        pdf.setCreator(QStringLiteral("Zelkor"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        QtPrinterStream stream(&pdf);
        TablePrinter printer;
        Feedback feedback;
        ok = print(printer, stream, &feedback);
        if (!ok)
            *error = printer.errorString();
    }
    if (!ok) {
        file.cancel();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool writePrint(ExportJob &job, QString *error)
{
    const TableLayout layout(job.model, job.items, layoutOptions(job));
    return writePdf(job, [&](TablePrinter &printer, PrinterStream &stream, Feedback *feedback) {
        return printer.printFull(layout, job.range.firstSpecies, job.range.lastSpecies, job.settings.printFont, stream,
                                 feedback);
    }, error);
}

bool writeSimplePrint(ExportJob &job, QString *error)
{
    const SimpleTableLayout layout(job.model, job.items, layoutOptions(job));
    return writePdf(job, [&](TablePrinter &printer, PrinterStream &stream, Feedback *feedback) {
        return printer.printSimple(layout, job.settings.printFont, stream, feedback);
    }, error);
}

MatrixOutputOptions matrixOptions(const ExportJob &job)
{
    return MatrixOutputOptions::make(job.title, job.range, job.settings);
}

bool writeValueMatrix(ExportJob &job, QString *error)
{
    ValueMatrixWriter writer;
    writer.setEncoding(job.encoding);
    Feedback feedback;
    if (writer.write(job.model, matrixOptions(job), job.output, &feedback))
        return true;
    *error = writer.errorString();
    return false;
}

bool writePCord(ExportJob &job, QString *error)
{
    PCordMatrixWriter writer;
    writer.setEncoding(job.encoding);
    Feedback feedback;
    if (writer.write(job.model, matrixOptions(job), job.output, &feedback))
        return true;
    *error = writer.errorString();
    return false;
}

bool writeCornell(ExportJob &job, QString *error)
{
    CornellWriter writer;
    Feedback feedback;
    if (writer.write(job.model, matrixOptions(job), job.output, &feedback))
        return true;
    *error = writer.errorString();
    return false;
}

// The site exports: lines from the table's header rows. The relevés a point or mesh file leaves
// out are the run's warnings.
Writer plotCsvWriter()
{
    return [](ExportJob &job, QString *error) {
        ScriptedUserInterface ui;
        return writeTextFile(job.output, SiteExport(job.model, &job.title, ui).plotDataLines(), error,
                             job.encoding);
    };
}

Writer siteWriter(SiteLines (SiteExport::*lines)() const)
{
    return [lines](ExportJob &job, QString *error) {
        ScriptedUserInterface ui;
        const SiteLines site = (SiteExport(job.model, &job.title, ui).*lines)();
        if (!site.ok()) {
            *error = site.error();
            return false;
        }
        if (site.leftOut > 0)
            job.warnings << site.report().split(QLatin1Char('\n'));
        return writeTextFile(job.output, site.lines, error);
    };
}

const std::map<QString, Writer> &writers()
{
    static const std::map<QString, Writer> all = {
        {QStringLiteral("text"), writeText},
        {QStringLiteral("xlsx"), writeWorkbook},
        {QStringLiteral("print-pdf"), writePrint},
        {QStringLiteral("simple-pdf"), writeSimplePrint},
        {QStringLiteral("value-matrix"), writeValueMatrix},
        {QStringLiteral("pcord"), writePCord},
        {QStringLiteral("cornell"), writeCornell},
        {QStringLiteral("plot-csv"), plotCsvWriter()},
        {QStringLiteral("gps-pot"), siteWriter(&SiteExport::gpsPotLines)},
        {QStringLiteral("mesh-grd"), siteWriter(&SiteExport::meshDataLines)},
    };
    return all;
}

// "2,3,8,30": item numbers 1..30.
bool parseItems(const QString &text, std::vector<int> *items)
{
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > HeaderItems::Count)
            return false;
        items->push_back(n);
    }
    return true;
}

// A digit option ("--method 3") within 0..max.
bool parseChoice(const QString &text, int max, int *value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= 0 && *value <= max;
}

} // namespace

CommandSpec exportCommand()
{
    QStringList formats;
    for (const auto &[name, writer] : writers())
        formats << name;
    return {QStringLiteral("export"),
            QStringLiteral("FORMAT IN.vtb -o OUT [オプション]"),
            QStringLiteral("表ファイルを出力する。FORMAT = %1\n"
                           "text: 組成表テキスト、xlsx: エクセル形式、print-pdf: 組成表の印刷（PDF）、\n"
                           "simple-pdf: 簡易印刷（PDF）、value-matrix: 数値表、pcord: PCord用の数値表（.lst も書く）、\n"
                           "cornell: Cornell 形式（DECORANA・TWINSPAN・CANOCO 用、--method 5 は不可）、\n"
                           "plot-csv: 立地環境データ、gps-pot: GPS POTデータ、mesh-grd: メッシュ分布データ")
                .arg(formats.join(QStringLiteral(" | "))),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT"), QStringLiteral("書き出すファイル")},
             {{QStringLiteral("settings")}, QStringLiteral("FILE.ini"), QStringLiteral("階層名などの設定（既定: 設定ファイルがないときの値）")},
             {{QStringLiteral("releves")}, QStringLiteral("A-B"), QStringLiteral("測定の出力範囲（既定: 全部）")},
             {{QStringLiteral("species")}, QStringLiteral("A-B"), QStringLiteral("植物の出力範囲（既定: 全部）")},
             {{QStringLiteral("items")}, QStringLiteral("LIST"), QStringLiteral("出力する見出し項目、例 2,3,8,30（既定: 表組みの全項目）")},
             {{QStringLiteral("frequency")}, {}, QStringLiteral("出現頻度の欄を付ける")},
             {{QStringLiteral("once-apart")}, {}, QStringLiteral("出現１回の種を別書する")},
             {{QStringLiteral("method")}, QStringLiteral("0..6"), QStringLiteral("優占度変換（既定 1）")},
             {{QStringLiteral("direction")}, QStringLiteral("species|releves"), QStringLiteral("数値表の行（既定 species）")},
             {{QStringLiteral("title")}, QStringLiteral("TEXT"), QStringLiteral("出力の表題（既定: 表の標題）")},
             encodingOptionSpec()},
            2,
            2};
}

int runExport(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(exportCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString format = cmd.positional().at(0);
    const auto writer = writers().find(format);
    if (writer == writers().end())
        return cmd.usageError(err, QStringLiteral("不明な出力形式です: %1").arg(format));

    ExportJob job;
    job.output = cmd.value(QStringLiteral("output"));
    if (job.output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    // The conversion and the orientation are the options' (or their defaults), whatever a
    // settings file says.
    int method = 1;
    int direction = 0;
    if (cmd.isSet(QStringLiteral("method")) && !parseChoice(cmd.value(QStringLiteral("method")), 6, &method))
        return cmd.usageError(err, QStringLiteral("--method は 0～6 で指定して下さい"));
    const QString directionText = cmd.value(QStringLiteral("direction"));
    if (cmd.isSet(QStringLiteral("direction"))) {
        if (directionText != QLatin1String("species") && directionText != QLatin1String("releves"))
            return cmd.usageError(err, QStringLiteral("--direction は species か releves で指定して下さい"));
        direction = directionText == QLatin1String("releves") ? 1 : 0;
    }
    if (!encodingOption(cmd, &job.encoding))
        return cmd.usageError(err, encodingOptionError());
    if (cmd.isSet(QStringLiteral("encoding")) && format != QLatin1String("value-matrix") && format != QLatin1String("pcord")
        && format != QLatin1String("plot-csv"))
        return cmd.usageError(err, QStringLiteral("--encoding は value-matrix、pcord、plot-csv の出力にだけ指定できます"));
    std::vector<int> items;
    if (cmd.isSet(QStringLiteral("items")) && !parseItems(cmd.value(QStringLiteral("items")), &items))
        return cmd.usageError(err, QStringLiteral("--items は 1～30 の項目番号をコンマで区切って指定して下さい"));

    // The settings first: reading the table then lays out the items of its own header rows.
    const QString settingsFile = cmd.value(QStringLiteral("settings"));
    // The output must not replace the table or settings read, nor anything that is no regular file.
    QString outputError;
    // The package matrix also writes its label list beside it, under the same rule.
    const QStringList outputs = format == QLatin1String("pcord")
                                    ? QStringList{job.output, PCordMatrixWriter::listFileName(job.output)}
                                    : QStringList{job.output};
    if (!checkOutputFiles(outputs, {cmd.positional().at(1), settingsFile}, &outputError))
        return cmd.userError(err, outputError);
    if (!settingsFile.isEmpty()) {
        if (const QString problem = settingsFileProblem(settingsFile); !problem.isEmpty())
            return cmd.userError(err, problem);
        QString error;
        if (!readIniFile(settingsFile, &job.settings, &job.items, &error))
            return cmd.userError(err, error);
    }
    TableFile file;
    if (!file.read(cmd.positional().at(1), &job.model, &job.items, &job.title))
        return cmd.userError(err, file.errorString());
    if (cmd.isSet(QStringLiteral("title")))
        job.title = cmd.value(QStringLiteral("title"));
    job.settings.cvMethod = method;
    job.settings.direction = direction;
    job.settings.frequency = cmd.isSet(QStringLiteral("frequency"));
    job.settings.oneTime = cmd.isSet(QStringLiteral("once-apart"));
    if (cmd.isSet(QStringLiteral("items"))) {
        for (int n = 1; n <= HeaderItems::Count; ++n)
            job.items[n].selected = job.items[n].layout && std::find(items.begin(), items.end(), n) != items.end();
    }

    // The ranges: the whole table unless given; a range reaching beyond the table is refused.
    job.range = OutputRange{1, job.model.releveCount(), 1, job.model.speciesCount()};
    struct RangeOption
    {
        const char *name;
        int *first;
        int *last;
        int count;
        const char *what;
    };
    const RangeOption ranges[] = {
        {"releves", &job.range.firstReleve, &job.range.lastReleve, job.model.releveCount(), "測定"},
        {"species", &job.range.firstSpecies, &job.range.lastSpecies, job.model.speciesCount(), "植物"},
    };
    for (const RangeOption &r : ranges) {
        const QString name = QString::fromLatin1(r.name);
        if (!cmd.isSet(name))
            continue;
        const QString text = cmd.value(name);
        if (!parseRange(text, r.first, r.last))
            return cmd.usageError(err, QStringLiteral("範囲「%1」は A-B の形で指定して下さい").arg(text));
        if (*r.first > *r.last)
            return cmd.usageError(err, QStringLiteral("範囲「%1」は逆向きです（A-B の A を B 以下にして下さい）").arg(text));
        if (*r.first > r.count || *r.last > r.count)
            return cmd.userError(err, QStringLiteral("%1の範囲「%2」が表の外です（表の%1は %3）")
                                          .arg(QString::fromUtf8(r.what), text, QString::number(r.count)));
    }

    // Cover codes outside the scale print as " ? ": said, so that nobody takes them for data.
    const bool printsCovers = format == QLatin1String("text") || format == QLatin1String("xlsx")
                              || format == QLatin1String("print-pdf");
    if (const qint64 outside = printsCovers ? job.model.cellsOutsideTheScale() : 0; outside > 0)
        job.warnings.prepend(codesOutsideTheScaleMessage(outside));
    QString error;
    const bool written = writer->second(job, &error);
    for (const QString &w : std::as_const(job.warnings))
        err << cmd.prefix() << "警告: " << w << "\n";
    if (!written)
        return cmd.userError(err, error);
    return Success;
}

} // namespace Zelkor::Cli
