#pragma once

#include "analysis/freqtablemodel.h"
#include "platform/textfile.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace Zelkor {

class UserInterface;

/// The commands of the second window's tool bar and tool panel on its table: printing, the font,
/// writing and reading the block text and CSV files, and the clipboard text. Every question goes through
/// the user interface; a cancelled dialog or the answer Abort changes nothing, and a file that
/// cannot be written or read is reported with the table left as it was.
class FreqTableCommands
{
public:
    /// model and ui must outlive the commands.
    FreqTableCommands(FreqTableModel *model, UserInterface *ui);

    /// "印　刷": the print dialog, then the window's caption and table on the printer in the
    /// grid's font. True when printed; a printer failure is reported.
    bool print();
    /// "全コピー": the table as clipboard text.
    QString clipboardText() const { return m_model->clipboardText(); }
    /// "フォント": the font dialog; on OK the grid takes the font. Either way the sizes follow
    /// the grid's font, measured with width.
    void chooseFont(const FreqTableModel::TextWidth &width);
    /// "テキスト書出": asks for a ".txt" file and writes the table in the block text format.
    /// True when a file was written.
    bool writeTextFile();
    /// "テキスト読込": asks for a ".txt" file and adds its groups to the table. True when read.
    bool readTextFile();
    /// "CSV書出": asks for a ".csv" file and writes the caption and the grid. True when written.
    bool writeCsvFile();
    /// "CSV読込": asks for a ".csv" file and replaces the caption and the grid. True when read.
    bool readCsvFile();

    /// The date the text file carries (today, unless set; tests fix it).
    void setDate(const QDate &date) { m_date = date; }

private:
    /// The save dialog on the file type filter proposing the caption with extension; then the
    /// overwrite question. Empty when the user cancelled or aborted.
    /// The save dialog for the window's file type; with encoding, it offers UTF-8 and gives the
    /// encoding chosen.
    QString askSaveFile(const QString &filter, const QString &extension, TextEncoding *encoding = nullptr);

    FreqTableModel *m_model;
    UserInterface *m_ui;
    QDate m_date;
};

} // namespace Zelkor
