#include "database/siteexport.h"

#include "platform/csv.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/tablemodel.h"

namespace Zelkor {

SiteExport::SiteExport(const TableModel &model, const QString *tableTitle, UserInterface &ui)
    : m_model(model)
    , m_tableTitle(tableTitle)
    , m_ui(ui)
{
}

int SiteExport::rowOfItem(int n) const
{
    for (int q = 1; q < m_model.headerRows(); ++q)
        if (TableModel::indexFromText(m_model.grid().cell(TableModel::IndexColumn, q)) == n)
            return q;
    return -1;
}

std::vector<int> SiteExport::releveColumns() const
{
    std::vector<int> columns;
    for (int i = 1; i <= m_model.releveCount(); ++i)
        if (m_model.releveSpCount(i) > 0)
            columns.push_back(TableModel::releveColumn(i));
    return columns;
}

QString SiteExport::value(int c, int r) const
{
    return trimBlanks(m_model.grid().cell(c, r));
}

QStringList SiteExport::plotDataLines() const
{
    // Row 1 (the running numbers) is left out; row 2 is written even when it is the
    // species-number row of a layout with item 1 alone.
    // The species number (item 30) is the one counted in the table, as the text layout prints it:
    // the stored value is the database's, which a dictionary or a left-out entry can make differ.
    const int last = std::max(int(TableModel::LabelRow), m_model.headerRows() - 1);
    const int speciesNumberRow = rowOfItem(HeaderItems::Count);
    auto line = [&](int c, bool labels) {
        QStringList fields;
        for (int q = TableModel::LabelRow; q <= last; ++q)
            fields << Csv::field(value(c, !labels && q == speciesNumberRow ? m_model.speciesNumberRow() : q));
        return fields.join(QLatin1Char(','));
    };
    QStringList lines{line(TableModel::NameColumn, true)};
    for (int c : releveColumns())
        lines << line(c, false);
    return lines;
}

bool SiteExport::gpsPotLines(QStringList *lines) const
{
    const int latRow = rowOfItem(5);
    const int lonRow = rowOfItem(6);
    const int altRow = rowOfItem(8);
    if (latRow < 0 || lonRow < 0 || altRow < 0)
        return false;
    // Degrees, minutes, seconds and tenths, cut from the digit string.
    auto dms = [](const QString &digits) {
        return digits.mid(0, 3) + QLatin1Char('\'') + digits.mid(3, 2) + QLatin1Char('\'') + digits.mid(5, 2)
               + QLatin1Char('\'') + digits.mid(7, 1);
    };
    const QString zeros = QStringLiteral("00000000");
    lines->clear();
    *lines << QStringLiteral("DAT=WGS84/WGS84/0.000/0.00000000/0/0/0 ");
    for (int c : releveColumns()) {
        QString lat = value(c, latRow) + zeros;
        // A two-digit degree becomes three digits like the longitude's.
        if (!lat.startsWith(QLatin1Char('0')))
            lat.prepend(QLatin1Char('0'));
        const QString lon = value(c, lonRow) + zeros;
        *lines << QStringLiteral("ORD=POI/tex=") + value(c, TableModel::LabelRow) + QStringLiteral("/ido=") + dms(lat)
                      + QStringLiteral("/kei=") + dms(lon) + QStringLiteral("/alt=+") + value(c, altRow)
                      + QStringLiteral("/col=12");
    }
    return true;
}

bool SiteExport::meshDataLines(QStringList *lines) const
{
    const int meshRow = rowOfItem(7);
    const int altRow = rowOfItem(8);
    if (meshRow < 0 || altRow < 0)
        return false;
    lines->clear();
    *lines << *m_tableTitle;
    for (int c : releveColumns()) {
        // Hundreds of metres, truncated toward zero, in at least two characters; "99" when the
        // altitude is no whole number.
        bool ok = false;
        const int altitude = value(c, altRow).toInt(&ok);
        const QString altitudeClass = ok ? QString::number(altitude / 100).rightJustified(2, QLatin1Char('0'))
                                         : QStringLiteral("99");
        const QString mesh = value(c, meshRow);
        if (mesh.size() > 3)
            *lines << mesh + QLatin1Char('.') + altitudeClass + QStringLiteral("; ") + value(c, TableModel::LabelRow);
    }
    return true;
}

void SiteExport::reportMissingData()
{
    m_ui.showMessage(QStringLiteral("必要なデータが表にありません"));
}

void SiteExport::save(const QStringList &lines, const QString &filter, const QString &suffix,
                      const QString &workMessage)
{
    FileDialogRequest request = FileDialogRequest::forType(filter, suffix.mid(suffix.lastIndexOf(QLatin1Char('.'))));
    request.fileName = *m_tableTitle + suffix;
    const QString path = m_ui.getSaveFileName(request);
    if (path.isEmpty())
        return;
    m_ui.showWorkMessage(workMessage);
    QString error;
    const bool ok = writeTextFile(path, lines, &error);
    m_ui.closeWorkMessage();
    if (!ok)
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("ファイルを書き出せませんでした。\n%1").arg(error));
}

void SiteExport::exportPlotData()
{
    save(plotDataLines(), Csv::nameFilter(), QStringLiteral("-plot.csv"), QStringLiteral("　立地環境データの出力中　"));
}

void SiteExport::exportGpsPoints()
{
    QStringList lines;
    if (!gpsPotLines(&lines)) {
        reportMissingData();
        return;
    }
    save(lines, gpsNameFilter(), QStringLiteral(".pot"), QStringLiteral("　ＧＰＳ形式の分布データの出力中　"));
}

void SiteExport::exportMeshData()
{
    QStringList lines;
    if (!meshDataLines(&lines)) {
        reportMissingData();
        return;
    }
    save(lines, meshNameFilter(), QStringLiteral(".grd"), QStringLiteral("　分布メッシュコードの出力中　"));
}

} // namespace Zelkor
