#pragma once

#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

#include <QObject>
#include <QString>

namespace Zelkor {

class UserInterface;

/// The one composition table of a session with what goes with it: the table, its header items,
/// the settings, the title and the files the table and the settings come from. The commands
/// share it and act on it; its signals tell the window what to show again. The operations here
/// are those every command needs: laying the table out, recomputing its numbers, the title.
class TableDocument : public QObject
{
    Q_OBJECT

public:
    /// "未指定": a database or dictionary that is not set.
    static QString notSpecified() { return QStringLiteral("未指定"); }

    /// ui shows the work messages and asks for the title; it must outlive the document.
    explicit TableDocument(UserInterface *ui, QObject *parent = nullptr);

    TableModel &model() { return m_model; }
    const TableModel &model() const { return m_model; }
    HeaderItems &items() { return m_items; }
    const HeaderItems &items() const { return m_items; }
    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }

    /// TableTitle.
    const QString &title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    /// The undo history of the table (its cells, order, codes, title and header rows).
    TableHistory &history() { return m_history; }
    const TableHistory &history() const { return m_history; }
    /// "元に戻す" / "やり直し": takes back the last step or does the last one undone again, and
    /// tells the window; false when there is none.
    bool undo();
    bool redo();
    /// Where the title lives, for the commands that edit it in place.
    QString *titleField() { return &m_title; }
    /// The table file the table was loaded from or last saved to (full path); empty when it
    /// comes from no file.
    const QString &tableFilePath() const { return m_tableFilePath; }
    void setTableFilePath(const QString &path) { m_tableFilePath = path; }
    /// The name of that file as the status bar and the title show it.
    QString tableFileName() const;
    /// IniFileName: the settings file read last.
    const QString &iniFileName() const { return m_iniFileName; }
    void setIniFileName(const QString &name) { m_iniFileName = name; }

    /// Resets the table arrays; what a database reading kept for the table goes too
    /// (tableReset()).
    void initTableArrays();
    /// Empties the table and lays it out from the items; the blank table counts as unchanged
    /// and comes from no file.
    void clearTable();
    /// Applies the table font and relabels or lays out the header rows; header rows of a table
    /// that get new labels mark it changed (the labels are saved with it).
    void reNewTable();
    /// Recomputes the frequencies and the running numbers.
    void recomputeFrequencies();
    /// "組成表の標題を編集": asks for the title (start: the title or the database name); a new
    /// title marks the table changed.
    void editTitle();

    /// The open dialog for one file type ("label|pattern"), in the folder an open dialog was last
    /// confirmed in (the data folder before that); empty when cancelled.
    QString askOpenFile(const QString &title, const QString &filter, const QString &fileName);

Q_SIGNALS:
    /// Cells, sizes or the layout of the table changed; the grid must repaint.
    void tableChanged();
    /// The title, the counts or a file name changed: the title bar and status bar show them anew.
    void statusChanged();
    /// A settings file was read: the window takes its size and position, the menu its check.
    void settingsRead();
    /// The table was laid out afresh or replaced along with its settings: what a database
    /// reading kept for the table (the relevé read last, the count of selections) goes.
    void tableReset();
    /// A step was undone or done again: what the table shows may all have changed.
    void historyReplayed();

private:
    UserInterface *m_ui;
    TableModel m_model;
    HeaderItems m_items;
    Settings m_settings;
    QString m_title;
    QString m_tableFilePath;
    QString m_iniFileName;
    QString m_openFolder;
    TableHistory m_history{&m_model, &m_title, &m_items};
};

} // namespace Zelkor
