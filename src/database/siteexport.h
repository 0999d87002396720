#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor {

class TableModel;
class UserInterface;

/// What a point or mesh export makes of the table: the lines to write, or why there are none, and
/// the relevés left out because their values do not fit the file.
struct SiteLines
{
    /// The file's lines; empty when the layout lacks an item the file needs.
    QStringList lines;
    /// The items the layout lacks, as "緯度（項目5）".
    QStringList missingItems;
    /// The relevés written and those left out.
    int written = 0;
    int leftOut = 0;
    /// Why the first relevés were left out, as "測定 3（14）: 緯度（項目5）「90858」".
    QStringList leftOutNotes;

    /// A file can be written: the items are there and at least one relevé fits.
    bool ok() const { return missingItems.isEmpty() && written > 0; }
    /// Why no file can be written; empty when one can.
    QString error() const;
    /// The relevés left out, their number and the first of them; empty when none was.
    QString report() const;
};

/// The site data of the table's relevés for other tools, read from the header rows of the grid:
/// a CSV table of every header item ("立地環境データ"), a point file for GPS and map software
/// (".pot") and a list of grid-square codes for distribution maps (".grd"). The point file needs
/// the latitude, longitude and altitude items (5, 6, 8) in the table's layout, the mesh file the
/// mesh code and altitude items (7, 8); the name of an entry is the value in header row 2.
/// Every value is taken without its leading and trailing blanks.
class SiteExport
{
public:
    /// The file types of the point file and of the mesh file in the save dialog ("label|pattern").
    static QString gpsNameFilter() { return QStringLiteral("GPS　POTデータ　(*.pot)|*.pot"); }
    static QString meshNameFilter() { return QStringLiteral("メッシュ分布データ (*.grd)|*.grd"); }

    /// The table's model, title and the user interface; all must outlive the object.
    SiteExport(const TableModel &model, const QString *tableTitle, UserInterface &ui);

    /// The lines of the site CSV: the labels of header rows 2 .. HeaderRows-1, then one line of
    /// values per relevé. A value holding a comma or a double quote is quoted.
    QStringList plotDataLines() const;
    /// The GPS point file: a relevé is written when its latitude is degrees, minutes and seconds
    /// in digits (DDMMSS, a tenth of a second and further decimals optional, a leading 0 allowed),
    /// its longitude the same with three digits of degrees, and its altitude whole metres; a
    /// point is no further than 90° north and 180° east. Every other relevé is left out.
    SiteLines gpsPotLines() const;
    /// The mesh file: the title, then "mesh.altitude-class; name" for each relevé whose mesh
    /// code is a standard grid-square code (4, 6, 8, 9, 10 or 11 digits); the others are left out.
    /// An altitude that is no whole number gives the class "99".
    SiteLines meshDataLines() const;

    /// Menu "立地環境データ": asks for the file and writes the site CSV.
    void exportPlotData();
    /// Menu "GPS　POTデータ": the GPS point file, or the message why there is none; a report of
    /// the relevés left out follows the writing.
    void exportGpsPoints();
    /// Menu "メッシュ分布データ": the mesh file, the same way.
    void exportMeshData();

private:
    /// The header row holding item n; -1 when the item is no row of the table.
    int rowOfItem(int n) const;
    /// The grid columns of the relevés that hold species; the empty columns between groups are
    /// none.
    std::vector<int> releveColumns() const;
    /// The trimmed value of relevé column c in header row r.
    QString value(int c, int r) const;
    /// The label of relevé column c for a report: its position and name.
    QString releveLabel(int c) const;
    /// Shows why site has no file, or asks for the file and writes it, then reports what was left
    /// out.
    void saveSiteLines(const SiteLines &site, const QString &filter, const QString &suffix, const QString &workMessage);
    /// Asks for the file (dialog type filter, name title + suffix) and writes lines to it with the
    /// work message; an existing file is replaced without a question. False when nothing was written.
    bool save(const QStringList &lines, const QString &filter, const QString &suffix, const QString &workMessage);

    const TableModel &m_model;
    const QString *m_tableTitle;
    UserInterface &m_ui;
};

} // namespace Zelkor
