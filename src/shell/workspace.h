#pragma once

#include "platform/userinterface.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablemodel.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace Zelkor {

/// The state of the main window without its widgets: the table, the header items, the settings,
/// the file names and the title, and the commands that act on them. The main window shows it
/// and forwards its menu commands here; the tests and the batch front end drive it directly.
class Workspace : public QObject
{
    Q_OBJECT

public:
    /// "未指定": a database or dictionary that is not set.
    static QString notSpecified();

    /// ui answers every question of the commands; it must outlive the workspace.
    explicit Workspace(UserInterface *ui, QObject *parent = nullptr);
    ~Workspace() override;

    UserInterface &ui() { return *m_ui; }
    TableModel &model() { return m_model; }
    const TableModel &model() const { return m_model; }
    HeaderItems &items() { return m_items; }
    const HeaderItems &items() const { return m_items; }
    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }

    QString tableTitle() const { return m_tableTitle; }
    void setTableTitle(const QString &title) { m_tableTitle = title; }
    /// The database path, or notSpecified().
    QString dataFileName() const { return m_settings.dataFileName; }
    /// The dictionary path, or notSpecified().
    QString dictFileName() const { return m_settings.dictFileName; }
    QString tableFileName() const { return m_tableFileName; }
    void setTableFileName(const QString &name) { m_tableFileName = name; }
    QString iniFileName() const { return m_iniFileName; }
    void setIniFileName(const QString &name) { m_iniFileName = name; }
    /// The short version text of the title bar ("6.00").
    QString versionText() const { return m_versionText; }

    // --- Table layout ---------------------------------------------------------------------
    /// Resets the table arrays and the state of the database reading that goes with a table.
    void initTableArrays();
    /// Menu "組成表を初期化する": empties the table and lays it out from the items.
    void clearTable();
    /// Applies the table font and relabels or lays out the header rows.
    void reNewTable();
    /// Menu "出現頻度を再計算する".
    void itemFrequencyClick();

    // --- Status -----------------------------------------------------------------------------
    /// The window title, " Vegetation Table Processing Ver.6.00    [ title ]".
    QString windowTitle() const;
    /// The ten status panel texts, left to right.
    QStringList statusTexts() const;
    /// The output commands are enabled while the table has relevés.
    bool outputsEnabled() const { return m_model.releveCount() > 0; }
    /// Tells the window that the title, the counts or a file name changed.
    void updateStatus();

Q_SIGNALS:
    /// The title, status panels or output enabling changed (UpdateStatus).
    void statusChanged();
    /// Cells, sizes or the layout of the table changed; the grid must repaint.
    void tableChanged();

private:
    /// The database reading state that goes with a table (species list buffer, hit count).
    void resetReadingState();

    UserInterface *m_ui;
    TableModel m_model;
    HeaderItems m_items;
    Settings m_settings;
    QString m_tableTitle;
    QString m_tableFileName;
    QString m_iniFileName;
    QString m_versionText;
};

} // namespace Zelkor
