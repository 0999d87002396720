#pragma once

#include "analysis/constancycommand.h"
#include "analysis/freqtablemodel.h"
#include "analysis/matrixoutputoptions.h"
#include "analysis/recipcommand.h"
#include "analysis/sortandhide.h"
#include "database/extraction.h"
#include "database/siteexport.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "output/outputpanel.h"
#include "output/tableoutputs.h"
#include "platform/userinterface.h"
#include "shell/savepathguard.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/searchhistory.h"
#include "table/tableediting.h"
#include "table/tablemodel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

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
    /// Empties the table and lays it out from the items; the blank table counts as unchanged
    /// and comes from no file.
    void clearTable();
    /// Menu "組成表を初期化する": asks about unsaved changes (confirmDiscardTable()), then
    /// clears the table.
    void itemClearTableClick();
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

    // --- Unsaved changes ------------------------------------------------------------------------
    /// Whether the table changed since it was last saved, loaded or cleared.
    bool isModified() const { return m_model.isModified(); }
    /// "現在の表は保存されていません。保存しますか？"
    static QString unsavedQuestion();
    /// Before a command that would discard the table: when it changed since it was last saved,
    /// loaded or cleared, asks unsavedQuestion(). はい saves through itemSaveTableClick() and
    /// goes on only when the table was saved; いいえ goes on without saving; キャンセル stops.
    /// True when the command may go on. An unchanged table goes on without a question.
    bool confirmDiscardTable();
    /// A row or column was dragged to a new place in the grid: the table changed.
    void tableRearranged();

    // --- Editing and search ------------------------------------------------------------------
    /// "この行を削除する" on grid row `row`: asks, removes the species row and the relevés left
    /// empty. Nothing (no question) outside the species rows in use.
    void itemDelRowClick(int row);
    /// "この列を削除する" on grid column `col`: asks, removes the relevé column and the species
    /// rows left empty. Nothing outside the relevé columns in use.
    void itemDelColClick(int col);
    /// "この上に行を挿入": asks, inserts an empty row above `row` (up to the first spare row).
    void itemInsRowClick(int row);
    /// "この左に列を挿入": asks, inserts an empty relevé column left of `col` (up to the first
    /// spare column).
    void itemInsColClick(int col);
    /// "コメントを書込む": asks for the comment text of species row `row`.
    void itemCommentClick(int row);
    /// "組成表の標題を編集": asks for the table title (start: the title or the database name).
    void itemEditTitleClick();
    /// The row or column a command's open question is about (None when no question is open);
    /// the grid tints it pale green. tintChanged() tells when it changes.
    EditTarget pendingTint() const { return m_pendingTint; }
    /// Where a dragged species row or relevé column may be dropped (see TableEditing).
    int clampRowMove(int from, int to) const { return TableEditing::clampRowMove(m_model, from, to); }
    int clampColumnMove(int from, int to) const { return TableEditing::clampColumnMove(m_model, from, to); }
    /// Text typed into cover cell (c, r) in editing mode, by the rule of
    /// TableEditing::applyCellEdit with the settings' layer names. A refused text is reported
    /// through the user interface and false is returned; the cell keeps its text.
    bool editCell(int c, int r, const QString &text);
    /// "完全一致" (exact) or "部分一致" / Enter (partial): appends text to the search history and
    /// marks the first 20 matching cells; a blank text only clears the marks. A search that marks
    /// nothing says so in the status bar (statusMessage()). Returns the marks.
    int searchTable(const QString &text, bool exact);
    /// "検索状態の解除": removes the search marks.
    void itemResetSearchClick();
    /// The search box's earlier texts, for as long as the program runs.
    const SearchHistory &searchHistory() const { return m_searchHistory; }

    // --- Start-up and quit --------------------------------------------------------------------
    /// The creation of the main window: the command line (an ".INI" settings file, a ".VTB"
    /// table file or a ".ZKI" database, in any case), the settings, the dictionary and the
    /// database (the one named on the command line before the settings' one), the empty table,
    /// then the table file named. The table then counts as unchanged. arguments: those after the
    /// program name.
    void formCreate(const QStringList &arguments, const QString &programPath);
    /// The program file given to formCreate().
    QString programPath() const { return m_programPath; }
    /// The program's own settings file: the program file's path with ".ini", or zelkor.ini in the
    /// user's configuration folder when the program's folder cannot be written.
    QString programIniFileName() const;
    /// Menu "終了(&X)": asks about unsaved changes, then writes the settings to the program's
    /// own settings file. False when the user cancels, or after an error message when writing
    /// fails: the window then stays open.
    bool btnQuitClick();
    /// A file dropped on the main window (only the first one counts): a table file (".vtb",
    /// loaded after the question about unsaved changes), a dictionary (".dic") or a database (a
    /// ".zki" of the same name exists); else nothing.
    void droppedFile(const QString &path);
    /// Menu "データの検査": asks, then shows (Yes) or hides (No) the hidden index row and column.
    void itemDataChkClick();
    /// Menu "表のフォント変更": on OK the chosen font becomes the table and the print font; the
    /// table is laid out again in any case.
    void itemSetFontClick();
    /// The print-font button of the item panel: the same dialog, for the print font alone.
    void btnFontClick();
    /// The font the font dialog opens with: the one last chosen in it ("ＭＳ ゴシック" 9 pt first).
    FontSpec fontDialogFont() const { return m_fontDialogFont; }
    /// The address of the program's web help page.
    static QString webHelpUrl();
    /// What "Web ヘルプ" opens: the user's guide installed with the program (or built beside it)
    /// when it is there, else the web help page.
    QUrl helpUrl() const;

    // --- Outputs ---------------------------------------------------------------------------
    /// The files the program reads from while it runs: the database pair, the dictionary and the
    /// settings files. No output may replace one of them.
    QStringList inputFiles() const;

    // --- Table file ------------------------------------------------------------------------
    /// Menu "現在の表を保存する": asks for the table file (proposing the file the table was
    /// loaded from or last saved to, else the title) and, when it exists, whether to overwrite
    /// it, and saves the table with its title. True when saved: the table then counts as
    /// unchanged. A failed save is reported and leaves any old file as it was; the table,
    /// TableFileName and the status stay unchanged.
    bool itemSaveTableClick();
    /// Menu "保存した表を読込む": asks about unsaved changes, then for a table file, and loads
    /// it.
    void itemLoadTableClick();
    /// Loads the table file path, with the settings file of the same name beside it when there is
    /// one. True when loaded (the table counts as unchanged); on failure the error is shown and
    /// the table, the header items, the settings, the title and TableFileName all stay as they
    /// were. Asks nothing: the commands ask about unsaved changes before they call it.
    bool loadTable(const QString &path);
    /// The table file the table was loaded from or last saved to (full path); empty when it
    /// comes from no file.
    QString tableFilePath() const { return m_tableFilePath; }

    // --- Database ----------------------------------------------------------------------------
    /// The vegetation database reader: the relevé read last and its species list.
    VegDatabase &database() { return m_database; }
    const VegDatabase &database() const { return m_database; }
    /// The synonym dictionaries loaded in this run.
    const SynonymDictionary &dictionary() const { return m_dictionary; }
    /// Number of relevés of the database opened last (0 before any); the extraction panel's
    /// record range and selection follow it (databaseChanged()).
    int recordCount() const { return m_database.recordCount(); }
    /// Opens the current database pair for reading. When it cannot be opened the message
    /// "正しいデータファイルを指定して下さい" is shown and false returned.
    bool openDataFile();
    /// Closes the database pair.
    void closeDataFile();
    /// Opens the current database and takes the table title, the captions and layout flags of
    /// the header items and the cover scales from its header record; a header not meant for
    /// thirty items changes nothing. An empty title becomes the database's file name.
    void readDataHeader();
    /// Makes path the current database: opens it, takes its header items when
    /// "データ埋込項目を使う" is checked (relaying out or clearing the table), and records the
    /// data folder. A database that cannot be opened is reported and keeps its name.
    void setDataFile(const QString &path);
    /// Menu "データファイルの指定": asks for a ".zki" file and makes it the current database.
    void itemFileChgClick();
    /// Menu "データ埋込項目を使う": asks whether the header items shall follow the database; Yes
    /// checks the item and takes them, No clears the check.
    void itemUseFIClick();
    /// Adds the entries of a synonym dictionary to those loaded; false when the file does not
    /// exist or cannot be read. Lines that are no Shift-JIS are skipped, with a message.
    bool setDictionary(const QString &path);
    /// Menu "異名辞書の読込み": asks for a dictionary, loads it and makes it DictFileName
    /// ("未指定" when it cannot be loaded).
    void itemCheckNameClick();
    /// The standard name of a species name from the dictionaries, or the name itself.
    QString synToCommonName(const QString &name) const { return m_dictionary.synToCommonName(name); }

    // --- Extraction --------------------------------------------------------------------------
    /// The retrieval panel's selection of database records and its count ("抽出数＝").
    const Extraction &extraction() const { return m_extraction; }
    /// Menu "表にデータを加える": every opening of the retrieval panel starts with no record
    /// selected.
    void itemAddReleveClick();
    /// "初期化": forgets the selection (the count shown stays until the next new extraction).
    void btnRetrResetClick();
    /// "新規抽出" (newExtraction) or "追加抽出": scans the query's record range of the current
    /// database. False when the database cannot be opened (the message has been shown).
    bool btnRetrNewClick(const RetrievalQuery &query, bool newExtraction,
                         const Extraction::Progress &progress = {});
    /// "表へ組み込む": puts the selected relevés into the table in record order, recomputes the
    /// numbers, tells what was left out or mended (Extraction::notes()), lets the user edit the
    /// title and updates the status. Returns the number inserted, -1 when the database could not
    /// be opened (the message has been shown).
    int btnToTableClick();
    /// "標準名に変換": each non-empty name, trimmed, replaced by its standard name.
    QStringList btnSynToComClick(const QStringList &names) const;

    // --- Outputs -------------------------------------------------------------------------------
    /// The output panel (PaneltoPrint): the output commands of the menu, the item-change mode.
    OutputPanel &outputPanel() { return m_outputPanel; }
    /// The outputs of the composition table the panel runs.
    TableOutputs &tableOutputs() { return m_tableOutputs; }
    /// The site-data exports ("分布データ等を出力する").
    SiteExport &siteExport() { return m_siteExport; }

    // --- Settings commands -------------------------------------------------------------------
    /// Menu "設定ファイルの読込み": asks for a settings file and takes its settings and header
    /// items (the "データ埋込項目を使う" check follows the file); the new layout shows at the next
    /// table clearing. The database and dictionary open now stay. A file that cannot be read is
    /// reported and changes nothing.
    void itemReadINIClick();

    // --- Constancy tables --------------------------------------------------------------------
    /// The second window's table: the last constancy table or score table, for the whole run.
    FreqTableModel &freqTable() { return m_freqTable; }
    const FreqTableModel &freqTable() const { return m_freqTable; }
    /// The commands of "常在度表を作成する" and its panel, over this table.
    ConstancyCommand &constancy() { return m_constancy; }
    /// "反復平均法で行列並べ替え": reciprocal averaging, its score table in the second window's
    /// table and the reordering of the table.
    RecipCommand &recip() { return m_recip; }
    // --- Sorting, hiding and the numeric matrices ------------------------------------------
    /// The sorting and hiding commands of the tool menu and their range panel.
    SortAndHide &sortAndHide() { return m_sortAndHide; }
    const SortAndHide &sortAndHide() const { return m_sortAndHide; }
    /// The range operation that every press on the grid follows.
    const RangeMode &rangeMode() const { return m_sortAndHide.rangeMode(); }
    /// "数値表として出力する" with the output panel's title, ranges, method and orientation:
    /// asks for the file and writes the value matrix. True when written.
    bool outputValueMatrix(const MatrixOutputOptions &options);
    /// "PCord用にCSV出力する" with the output panel's title, ranges and method: asks for the file
    /// and writes the package's matrix and its label list. True when written.
    bool outputPCordCSV(const MatrixOutputOptions &options);
    /// The matrices' options from the output panel's last "出力する" and the settings.
    MatrixOutputOptions matrixOutputOptions() const;

Q_SIGNALS:
    /// The title, status panels or output enabling changed (UpdateStatus).
    void statusChanged();
    /// A short note for the status bar (a search that found nothing).
    void statusMessage(const QString &text);
    /// Cells, sizes or the layout of the table changed; the grid must repaint.
    void tableChanged();
    /// The pending tint of an editing question (pendingTint()) was set or cleared.
    void tintChanged();
    /// The settings file was read: the window takes its size and position, the menu its check.
    void settingsRead();
    /// Another database was set, or the record count of the database changed: the extraction
    /// panel must size its selection to recordCount() + 1 entries.
    void databaseChanged();

private:
    /// The database reading state that goes with a table (species list buffer, hit count).
    void resetReadingState();
    /// The shared open dialog with the program's file types, in the folder an open dialog was
    /// last confirmed in (the data folder before that); empty when cancelled.
    QString askOpenFile(const QString &title, int filterIndex, const QString &fileName);
    /// The folder of the file last chosen in an open dialog.
    QString m_openFolder;
    /// The table file the table was loaded from or last saved to.
    QString m_tableFilePath;

    // Every command's save dialog passes the guard, so no output overwrites a file in use.
    SavePathGuard m_savePathGuard;
    UserInterface *m_ui;
    TableModel m_model;
    HeaderItems m_items;
    Settings m_settings;
    QString m_tableTitle;
    QString m_tableFileName;
    QString m_iniFileName;
    QString m_versionText;
    // Editing and search
    void setPendingTint(const EditTarget &target);
    using EditCommand = bool (*)(TableModel &, UserInterface &, int, const TintHook &);
    /// Runs a row or column command with the pending tint as its tint; repaints (and refreshes
    /// the status when the counts may have changed) only when the table changed.
    void runTableEdit(EditCommand command, int at, bool countsMayChange);
    EditTarget m_pendingTint;
    SearchHistory m_searchHistory;
    // Start-up and quit
    bool readSettings(const QString &iniFileName);
    QString m_programPath;
    FontSpec m_fontDialogFont{QStringLiteral("ＭＳ ゴシック"), 9};
    // Database
    VegDatabase m_database;
    SynonymDictionary m_dictionary;
    bool m_settingDataFile = false;
    // Extraction
    Extraction m_extraction;
    // Outputs
    OutputPanel m_outputPanel;
    TableOutputs m_tableOutputs;
    SiteExport m_siteExport;
    // Constancy tables
    FreqTableModel m_freqTable;
    ConstancyCommand m_constancy{&m_model, &m_freqTable, m_ui, [this] { return m_tableTitle; }};
    RecipCommand m_recip{&m_model, &m_freqTable, m_ui};
    // Sorting and hiding
    SortAndHide m_sortAndHide;
};

} // namespace Zelkor
