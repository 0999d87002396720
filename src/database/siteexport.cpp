#include "database/siteexport.h"

#include "platform/csv.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/tablemodel.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

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

namespace {

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar ch) {
        return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    });
}

/// A coordinate as eight digits DDDMMSST (degrees, minutes, seconds, tenths of a second), from a
/// value of degreeDigits degrees, two of minutes, two of seconds and any decimals; empty when the
/// value is no such text or lies beyond maxDegrees.
QString coordinateDigits(const QString &value, int degreeDigits, int maxDegrees)
{
    if (!isDigits(value) || value.size() < degreeDigits + 4)
        return QString();
    const QString digits = QString(3 - degreeDigits, QLatin1Char('0')) + value;
    const int degrees = digits.mid(0, 3).toInt();
    const int minutes = digits.mid(3, 2).toInt();
    const int seconds = digits.mid(5, 2).toInt();
    const bool fraction = digits.mid(7).contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (minutes >= 60 || seconds >= 60)
        return QString();
    if (degrees > maxDegrees || (degrees == maxDegrees && (minutes > 0 || seconds > 0 || fraction)))
        return QString();
    return (digits + QLatin1Char('0')).left(8);
}

/// A standard grid-square code: the first mesh (4 digits), then the second (2 digits of 0..7),
/// the third (2 digits) and the halves, quarters and eighths (a digit of 1..4 each).
bool isMeshCode(const QString &mesh)
{
    if (!isDigits(mesh) || mesh.size() < 4 || mesh.size() > 11 || mesh.size() == 5 || mesh.size() == 7)
        return false;
    for (int k = 4; k < std::min<int>(6, mesh.size()); ++k)
        if (mesh.at(k) > QLatin1Char('7'))
            return false;
    for (int k = 8; k < mesh.size(); ++k)
        if (mesh.at(k) < QLatin1Char('1') || mesh.at(k) > QLatin1Char('4'))
            return false;
    return true;
}

/// The items a site file reads, by number and the name its messages give them.
struct SiteItem
{
    int number;
    const char16_t *name;
};
constexpr SiteItem Latitude{5, u"緯度"};
constexpr SiteItem Longitude{6, u"経度"};
constexpr SiteItem Mesh{7, u"地理区画コード"};
constexpr SiteItem Altitude{8, u"標高"};

QString itemLabel(const SiteItem &item)
{
    return QStringLiteral("%1（項目%2）").arg(QString::fromUtf16(item.name)).arg(item.number);
}

/// How many reasons a report lists before it counts the rest.
constexpr int ShownNotes = 10;

} // namespace

QString SiteLines::error() const
{
    if (!missingItems.isEmpty())
        return QStringLiteral("必要なデータが表にありません：%1").arg(missingItems.join(QStringLiteral("、")));
    if (written > 0)
        return QString();
    if (leftOut == 0)
        return QStringLiteral("書き出す測定がありません");
    return QStringLiteral("書き出せる測定がありません。\n") + report();
}

QString SiteLines::report() const
{
    if (leftOut == 0)
        return QString();
    QStringList text{QStringLiteral("%1 件の測定は値がファイルの形式に合わないため書き出しませんでした。").arg(leftOut)};
    text << leftOutNotes;
    if (leftOut > leftOutNotes.size())
        text << QStringLiteral("ほか %1 件").arg(leftOut - leftOutNotes.size());
    return text.join(QLatin1Char('\n'));
}

QString SiteExport::releveLabel(int c) const
{
    return QStringLiteral("測定 %1（%2）").arg(TableModel::releveOfColumn(c)).arg(value(c, TableModel::LabelRow));
}

SiteLines SiteExport::gpsPotLines() const
{
    SiteLines site;
    const int latRow = rowOfItem(Latitude.number);
    const int lonRow = rowOfItem(Longitude.number);
    const int altRow = rowOfItem(Altitude.number);
    for (const auto &[row, item] : {std::pair(latRow, Latitude), std::pair(lonRow, Longitude), std::pair(altRow, Altitude)})
        if (row < 0)
            site.missingItems << itemLabel(item);
    if (!site.missingItems.isEmpty())
        return site;
    static const QRegularExpression wholeMetres(QStringLiteral("^[+-]?[0-9]{1,5}$"));
    // Degrees, minutes, seconds and tenths of the eight digits.
    auto dms = [](const QString &digits) {
        return digits.mid(0, 3) + QLatin1Char('\'') + digits.mid(3, 2) + QLatin1Char('\'') + digits.mid(5, 2)
               + QLatin1Char('\'') + digits.mid(7, 1);
    };
    site.lines << QStringLiteral("DAT=WGS84/WGS84/0.000/0.00000000/0/0/0 ");
    for (int c : releveColumns()) {
        const QString latValue = value(c, latRow);
        const QString lonValue = value(c, lonRow);
        const QString altitude = value(c, altRow);
        // A latitude with a leading 0 already has three digits of degrees.
        const QString lat = coordinateDigits(latValue, latValue.startsWith(QLatin1Char('0')) ? 3 : 2, 90);
        const QString lon = coordinateDigits(lonValue, 3, 180);
        QString misfit;
        if (lat.isEmpty())
            misfit = QStringLiteral("%1「%2」").arg(itemLabel(Latitude), latValue);
        else if (lon.isEmpty())
            misfit = QStringLiteral("%1「%2」").arg(itemLabel(Longitude), lonValue);
        else if (!wholeMetres.match(altitude).hasMatch())
            misfit = QStringLiteral("%1「%2」").arg(itemLabel(Altitude), altitude);
        if (!misfit.isEmpty()) {
            if (site.leftOutNotes.size() < ShownNotes)
                site.leftOutNotes << releveLabel(c) + QStringLiteral(": ") + misfit;
            ++site.leftOut;
            continue;
        }
        const QString signedAltitude = altitude.startsWith(QLatin1Char('-')) || altitude.startsWith(QLatin1Char('+'))
                                           ? altitude
                                           : QLatin1Char('+') + altitude;
        site.lines << QStringLiteral("ORD=POI/tex=") + value(c, TableModel::LabelRow) + QStringLiteral("/ido=")
                          + dms(lat) + QStringLiteral("/kei=") + dms(lon) + QStringLiteral("/alt=") + signedAltitude
                          + QStringLiteral("/col=12");
        ++site.written;
    }
    return site;
}

SiteLines SiteExport::meshDataLines() const
{
    SiteLines site;
    const int meshRow = rowOfItem(Mesh.number);
    const int altRow = rowOfItem(Altitude.number);
    for (const auto &[row, item] : {std::pair(meshRow, Mesh), std::pair(altRow, Altitude)})
        if (row < 0)
            site.missingItems << itemLabel(item);
    if (!site.missingItems.isEmpty())
        return site;
    site.lines << oneLine(*m_tableTitle);
    for (int c : releveColumns()) {
        const QString mesh = value(c, meshRow);
        if (!isMeshCode(mesh)) {
            if (site.leftOutNotes.size() < ShownNotes)
                site.leftOutNotes << releveLabel(c) + QStringLiteral(": %1「%2」").arg(itemLabel(Mesh), mesh);
            ++site.leftOut;
            continue;
        }
        // Hundreds of metres, truncated toward zero, in at least two characters; "99" when the
        // altitude is no whole number.
        bool ok = false;
        const int altitude = value(c, altRow).toInt(&ok);
        const QString altitudeClass = ok ? QString::number(altitude / 100).rightJustified(2, QLatin1Char('0'))
                                         : QStringLiteral("99");
        site.lines << mesh + QLatin1Char('.') + altitudeClass + QStringLiteral("; ") + value(c, TableModel::LabelRow);
        ++site.written;
    }
    return site;
}

bool SiteExport::save(const QStringList &lines, const QString &filter, const QString &suffix,
                      const QString &workMessage)
{
    FileDialogRequest request = FileDialogRequest::forType(filter, suffix.mid(suffix.lastIndexOf(QLatin1Char('.'))));
    request.fileName = *m_tableTitle + suffix;
    request.offerEncoding = filter == Csv::nameFilter();
    const QString path = m_ui.getSaveFileName(request);
    if (path.isEmpty())
        return false;
    m_ui.showWorkMessage(workMessage);
    QString error;
    const bool ok = writeTextFile(path, lines, &error, request.offerEncoding ? request.encoding : TextEncoding::Cp932);
    m_ui.closeWorkMessage();
    if (!ok)
        m_ui.showError(QStringLiteral("エラー"), QStringLiteral("ファイルを書き出せませんでした。\n%1").arg(error));
    return ok;
}

void SiteExport::saveSiteLines(const SiteLines &site, const QString &filter, const QString &suffix,
                               const QString &workMessage)
{
    if (!site.ok()) {
        m_ui.showMessage(site.error());
        return;
    }
    if (save(site.lines, filter, suffix, workMessage) && site.leftOut > 0)
        m_ui.showMessage(site.report());
}

void SiteExport::exportPlotData()
{
    save(plotDataLines(), Csv::nameFilter(), QStringLiteral("-plot.csv"), QStringLiteral("　立地環境データの出力中　"));
}

void SiteExport::exportGpsPoints()
{
    saveSiteLines(gpsPotLines(), gpsNameFilter(), QStringLiteral(".pot"), QStringLiteral("　ＧＰＳ形式の分布データの出力中　"));
}

void SiteExport::exportMeshData()
{
    saveSiteLines(meshDataLines(), meshNameFilter(), QStringLiteral(".grd"), QStringLiteral("　分布メッシュコードの出力中　"));
}

} // namespace Zelkor
