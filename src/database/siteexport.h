#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor {

class TableModel;
class UserInterface;

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
    /// The lines of the GPS point file; false (no lines) when items 5, 6 or 8 are no rows.
    bool gpsPotLines(QStringList *lines) const;
    /// The lines of the mesh file: the title, then "mesh.altitude-class; name" for each relevé
    /// whose mesh code has more than three characters; false when items 7 or 8 are no rows.
    bool meshDataLines(QStringList *lines) const;

    /// Menu "立地環境データ": asks for the file and writes the site CSV.
    void exportPlotData();
    /// Menu "GPS　POTデータ": the GPS point file, or the message that the items are missing.
    void exportGpsPoints();
    /// Menu "メッシュ分布データ": the mesh file, or the message that the items are missing.
    void exportMeshData();
    /// The message that the table lacks the header items an export needs.
    void reportMissingData();

private:
    /// The header row holding item n; -1 when the item is no row of the table.
    int rowOfItem(int n) const;
    /// The grid columns of the relevés that hold species; the empty columns between groups are
    /// none.
    std::vector<int> releveColumns() const;
    /// The trimmed value of relevé column c in header row r.
    QString value(int c, int r) const;
    /// Asks for the file (dialog type filter, name title + suffix) and writes lines to it with the
    /// work message; an existing file is replaced without a question.
    void save(const QStringList &lines, const QString &filter, const QString &suffix, const QString &workMessage);

    const TableModel &m_model;
    const QString *m_tableTitle;
    UserInterface &m_ui;
};

} // namespace Zelkor
