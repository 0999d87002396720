// zelkor-cli mkdb --wide: a database pair from a table kept in a spreadsheet.
#include "shell/cli/climkdbwide.h"

#include "database/databasebuilder.h"
#include "database/widetablecsv.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/settings.h"

#include <QDir>
#include <QFileInfo>

namespace Zelkor::Cli {

int runMkdbWide(const CommandLine &cmd, QTextStream &out, QTextStream &err)
{
    const QString input = cmd.value(QStringLiteral("wide"));
    const QString output = cmd.value(QStringLiteral("output"));
    const QString settingsFile = cmd.value(QStringLiteral("settings"));
    const QString headerItems = cmd.value(QStringLiteral("header-items"));
    CoverScale scale = CoverScale::Codes;
    if (cmd.isSet(QStringLiteral("scale"))
        && (!coverScaleFromName(cmd.value(QStringLiteral("scale")), &scale)
            || (scale != CoverScale::Codes && scale != CoverScale::Percent)))
        return cmd.usageError(err, QStringLiteral("--scale は codes か percent です: %1").arg(cmd.value(QStringLiteral("scale"))));
    const QString zkd = output.left(output.size() - 4)
                        + (output.endsWith(QLatin1String(".ZKI")) ? QStringLiteral(".ZKD") : QStringLiteral(".zkd"));
    {
        const QStringList inputs{input, settingsFile, headerItems};
        QString error;
        if (!checkOutputFiles({output, zkd}, inputs, &error))
            return cmd.userError(err, error);
    }
    Settings settings;
    HeaderItems items;
    if (!settingsFile.isEmpty()) {
        if (const QString problem = settingsFileProblem(settingsFile); !problem.isEmpty())
            return cmd.userError(err, problem);
        QString error;
        if (!readIniFile(settingsFile, &settings, &items, &error))
            return cmd.userError(err, error);
    }

    // A database carries every item, laid out or not.
    WideTableCsv::Options options;
    options.scale = scale;
    options.anyItem = true;
    WideTableCsv reader(items, settings.layerNames, options);
    ImportedTable table;
    Feedback feedback;
    if (!reader.read(input, &table, &feedback))
        return cmd.userError(err, reader.errorString());

    DatabaseBuilder builder;
    int k = 5;
    int d = 2;
    for (const auto &[name, digit] : {std::pair{"k", &k}, std::pair{"d", &d}}) {
        const QString text = cmd.value(QString::fromLatin1(name));
        if (text.isEmpty())
            continue;
        if (text.size() != 1 || text.at(0) < QLatin1Char('0') || text.at(0) > QLatin1Char('9'))
            return cmd.usageError(err, QStringLiteral("--k と --d は 0～9 の数字 1 桁で指定して下さい"));
        *digit = text.at(0).unicode() - u'0';
    }
    builder.setScales(k, d);
    builder.setTitle(cmd.isSet(QStringLiteral("title")) ? cmd.value(QStringLiteral("title")) : table.title);
    if (!headerItems.isEmpty()) {
        if (!builder.readHeaderItemsCsv(headerItems))
            return cmd.userError(err, builder.errorString());
    } else {
        // The items the table gives are laid out, under the names it gives them (the long
        // default names of the layer items in their short form, so that all fit the header).
        for (int n = 2; n < HeaderItems::Count; ++n) {
            if (table.itemValues[std::size_t(n)].empty())
                continue;
            const QString label = items[n].label == HeaderItems::defaultLabel(n) ? DatabaseBuilder::defaultCaption(n)
                                                                                  : items[n].label;
            if (!builder.setHeaderItem(n, true, label))
                return cmd.userError(err, builder.errorString());
        }
    }

    // Each relevé column that holds anything is a record, named by its column.
    const std::vector<bool> used = table.usedReleves();
    for (int i = 1; i <= table.releveCount; ++i) {
        if (!used[std::size_t(i)])
            continue;
        DatabaseBuilder::Site site;
        site.id = QString::number(i);
        for (int n = 2; n < HeaderItems::Count; ++n) {
            const std::vector<QString> &values = table.itemValues[std::size_t(n)];
            if (std::size_t(i) <= values.size())
                site.items[std::size_t(n)] = values[std::size_t(i) - 1];
        }
        if (!builder.addSite(site))
            return cmd.userError(err, builder.errorString());
    }
    for (const ImportedTable::Row &row : table.rows) {
        for (const ImportedTable::Entry &e : row.entries) {
            for (int layer = 0; layer < 7; ++layer) {
                const quint8 code = e.codes[std::size_t(layer)];
                if (code == 0)
                    continue;
                if (!builder.addSpecies(QString::number(e.releve), row.name, DatabaseBuilder::layerLabels().at(layer),
                                        coverCodeField(code)))
                    return cmd.userError(err, QStringLiteral("種「%1」: %2").arg(row.name, builder.errorString()));
            }
        }
    }
    const bool ok = builder.write(output);
    for (const QString &w : builder.warnings())
        err << cmd.prefix() << "警告: " << w << "\n";
    if (!ok)
        return cmd.userError(err, builder.errorString());
    out << QDir::toNativeSeparators(output) << " と " << QDir::toNativeSeparators(zkd) << " を書き出しました（測定 "
        << builder.siteCount() << " 件、種 " << builder.speciesEntryCount() << " 件）\n";
    return Success;
}

} // namespace Zelkor::Cli
