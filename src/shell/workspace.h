#pragma once

#include "analysis/constancycommand.h"
#include "analysis/freqtablemodel.h"
#include "analysis/matrixoutput.h"
#include "analysis/ordinationcommand.h"
#include "analysis/recipcommand.h"
#include "analysis/sortandhide.h"
#include "database/databasesession.h"
#include "database/extractioncommand.h"
#include "database/siteexport.h"
#include "database/tableimport.h"
#include "output/outputpanel.h"
#include "output/tableoutputs.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"
#include "shell/programcommands.h"
#include "table/settingscommand.h"
#include "table/tabledocument.h"
#include "table/tableeditcommands.h"
#include "table/tablefilecommand.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace Zelkor {

/// The document of the main window: the table with its items, settings and files, and the
/// commands that act on them. The main window shows it and runs its commands from the menu;
/// the tests drive it directly.
class Workspace : public QObject
{
    Q_OBJECT

public:
    /// "未指定": a database or dictionary that is not set.
    static QString notSpecified() { return TableDocument::notSpecified(); }

    /// ui answers every question of the commands; it must outlive the workspace.
    explicit Workspace(UserInterface *ui, QObject *parent = nullptr);
    ~Workspace() override;

    /// The user interface the commands see: ui, with every save dialog guarded so that no output
    /// replaces a file the program reads from.
    UserInterface &ui() { return m_savePathGuard; }
    TableDocument &document() { return m_doc; }
    TableModel &model() { return m_doc.model(); }
    const TableModel &model() const { return m_doc.model(); }
    HeaderItems &items() { return m_doc.items(); }
    const HeaderItems &items() const { return m_doc.items(); }
    Settings &settings() { return m_doc.settings(); }
    const Settings &settings() const { return m_doc.settings(); }
    QString tableTitle() const { return m_doc.title(); }
    void setTableTitle(const QString &title) { m_doc.setTitle(title); }
    /// The database path, or notSpecified().
    QString dataFileName() const { return m_doc.settings().dataFileName; }
    /// The dictionary path, or notSpecified().
    QString dictFileName() const { return m_doc.settings().dictFileName; }
    QString tableFileName() const { return m_doc.tableFileName(); }
    QString iniFileName() const { return m_doc.iniFileName(); }
    /// Whether the table changed since it was last saved, loaded or cleared.
    bool isModified() const { return m_doc.model().isModified(); }
    /// The window title: the table file's name (or "無題") with Qt's mark of unsaved changes, the
    /// table's title and the program, "hakone.vtb[*]（Dune meadows）- Zelkor 6.0.0".
    QString windowTitle() const;
    /// The ten status panel texts, left to right.
    QStringList statusTexts() const;
    /// The output commands are enabled while the table has relevés.
    bool outputsEnabled() const { return m_doc.model().releveCount() > 0; }

    // The commands.
    ProgramCommands &program() { return m_program; }
    SettingsCommand &settingsCommand() { return m_settingsCommand; }
    TableFileCommand &tableFile() { return m_tableFile; }
    TableEditCommands &editing() { return m_editing; }
    DatabaseSession &session() { return m_session; }
    const DatabaseSession &session() const { return m_session; }
    ExtractionCommand &extraction() { return m_extraction; }
    /// "表計算の表を読込む": a table from a spreadsheet's CSV or a Cornell condensed file.
    TableImportCommand &tableImport() { return m_tableImport; }
    /// The output panel (PaneltoPrint): the output commands of the menu, the item-change mode.
    OutputPanel &outputPanel() { return m_outputPanel; }
    /// The outputs of the composition table the panel runs.
    TableOutputs &tableOutputs() { return m_tableOutputs; }
    /// The site-data exports ("分布データ等を出力する").
    SiteExport &siteExport() { return m_siteExport; }
    /// The second window's table: the last constancy table or score table, for the whole run.
    FreqTableModel &freqTable() { return m_freqTable; }
    const FreqTableModel &freqTable() const { return m_freqTable; }
    /// The commands of "常在度表を作成する" and its panel, over this table.
    ConstancyCommand &constancy() { return m_constancy; }
    /// "反復平均法で行列並べ替え": reciprocal averaging, its score table in the second window's
    /// table and the reordering of the table.
    RecipCommand &recip() { return m_recip; }
    /// "序列図（CA / DCA）": the ordination of the table, its scores and the reordering by it.
    OrdinationCommand &ordination() { return m_ordination; }
    /// The sorting and hiding commands of the tool menu and their range panel.
    SortAndHide &sortAndHide() { return m_sortAndHide; }
    const SortAndHide &sortAndHide() const { return m_sortAndHide; }

Q_SIGNALS:
    /// The title, status panels or output enabling changed.
    void statusChanged();
    /// A short note for the status bar (a search that found nothing).
    void statusMessage(const QString &text);
    /// Cells, sizes or the layout of the table changed; the grid must repaint.
    void tableChanged();
    /// A settings file was read: the window takes its size and position, the menu its check.
    void settingsRead();

private:
    // Every command's save dialog passes the guard, so no output overwrites a file in use.
    SavePathGuard m_savePathGuard;
    TableDocument m_doc;
    SettingsCommand m_settingsCommand;
    TableFileCommand m_tableFile;
    TableEditCommands m_editing;
    DatabaseSession m_session;
    ExtractionCommand m_extraction;
    TableImportCommand m_tableImport;
    ProgramCommands m_program;
    OutputPanel m_outputPanel;
    TableOutputs m_tableOutputs;
    MatrixOutput m_matrixOutput;
    SiteExport m_siteExport;
    FreqTableModel m_freqTable;
    ConstancyCommand m_constancy;
    RecipCommand m_recip;
    OrdinationCommand m_ordination;
    SortAndHide m_sortAndHide;
};

} // namespace Zelkor
