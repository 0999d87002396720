#pragma once

#include "output/outputrange.h"
#include "output/tablelayout.h"

#include <QString>

namespace Zelkor {

class HeaderItems;
class TableModel;
class UserInterface;
struct Settings;

/// The outputs of the composition table that the output panel runs, each asking for its file
/// and showing the work message while it writes.
class TableOutputs
{
public:
    /// Outputs of model's table with the items' labels and flags, the settings' options and the
    /// table title. Everything given must outlive the object.
    TableOutputs(TableModel &model, const HeaderItems &items, const Settings &settings,
                 const QString *tableTitle, UserInterface &ui);

    /// The text file in the publication layout (Output_TextFile): recomputes the frequencies,
    /// asks for the file (and whether to replace an existing one), writes range. A failure is
    /// reported and leaves an existing file as it was. Returns whether a file was written.
    bool outputTextFile(const OutputRange &range);

    /// The publication layout's options for range: the title, the frequency and
    /// single-occurrence boxes and the layer names.
    TableLayoutOptions layoutOptions(const OutputRange &range) const;

private:
    /// The save dialog on the given type of the program's list with the proposed name, then the
    /// overwrite question for an existing file; empty when the user declined either.
    QString askOutputFile(int filterIndex, const QString &extension, const QString &proposedName);

    TableModel &m_model;
    const HeaderItems &m_items;
    const Settings &m_settings;
    const QString *m_tableTitle;
    UserInterface &m_ui;
};

} // namespace Zelkor
