#pragma once

#include "output/tablelayout.h"
#include "table/outputrange.h"

#include <QString>

namespace Zelkor {

class HeaderItems;
class OutputPanel;
class TableHistory;
class TableModel;
class UserInterface;
struct Settings;

/// The outputs of the composition table that the output panel runs, each asking for its file or
/// printer and showing the work message while it writes.
class TableOutputs
{
public:
    /// Outputs of model's table with the items' labels and flags, the settings' options and the
    /// table title. Everything given must outlive the object.
    TableOutputs(TableModel &model, const HeaderItems &items, const Settings &settings,
                 const QString *tableTitle, UserInterface &ui);

    /// Sets these outputs as the routines of the panel's modes 0..3.
    void registerWith(OutputPanel &panel);

    /// The text file in the publication layout: recomputes the frequencies,
    /// asks for the file (and whether to replace an existing one), writes range. A failure is
    /// reported and leaves an existing file as it was. Returns whether a file was written.
    bool outputTextFile(const OutputRange &range);

    /// The spreadsheet workbook: asks for the ".xlsx" file (and whether to
    /// replace an existing one), recomputes the frequencies and writes range, with the progress
    /// in the work message's second line. A failure is reported and leaves an existing file as
    /// it was. Returns whether the workbook was written.
    bool outputWorkbook(const OutputRange &range);

    /// The full print: the print dialog, then the publication layout of range
    /// in the print font, as many relevés across as the paper and the font allow. Returns
    /// whether the table was printed; a printer failure is reported.
    bool printTable(const OutputRange &range);
    /// The simplified print: the print dialog, then the overview of range,
    /// one mark per relevé and species, in the print font. Returns whether it was printed.
    bool printSimpleTable(const OutputRange &range);

    /// The publication layout's options for range: the title, the frequency and
    /// single-occurrence boxes and the layer names.
    TableLayoutOptions layoutOptions(const OutputRange &range) const;

    /// The table's undo history: renumbering the table before an output is a step of it.
    void setHistory(TableHistory *history) { m_history = history; }

private:
    /// Recomputes the running numbers and frequencies the outputs print (a step of the history
    /// when they change).
    void renumber();
    /// The save dialog on the file type filter, proposing the title with extension, then the
    /// overwrite question for an existing file; empty when the user declined either.
    QString askOutputFile(const QString &filter, const QString &extension);

    TableModel &m_model;
    TableHistory *m_history = nullptr;
    const HeaderItems &m_items;
    const Settings &m_settings;
    const QString *m_tableTitle;
    UserInterface &m_ui;
};

} // namespace Zelkor
