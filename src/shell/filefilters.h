#pragma once

#include <QStringList>

namespace Zelkor {

/// The file-type list of the shared open dialog, as "label|pattern" entries; the commands pick
/// one by its 1-based index: 1 database (.zki), 2 table file (.vtb), 3 CSV, 4 synonym dictionary
/// (.dic), 5 settings file (.ini).
QStringList openFilters();

/// The file-type list of the shared save dialog, as "label|pattern" entries: 1 table file
/// (.vtb), 2 table text (.txt), 3 matrix data (.csv), 4 spreadsheet (.xlsx), 5 GPS point data
/// (.pot), 6 mesh distribution data (.grd).
QStringList saveFilters();

} // namespace Zelkor
