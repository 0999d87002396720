#pragma once

#include "database/extraction.h"

#include <QFrame>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace Zelkor {

class ExtractionCommand;

/// The retrieval panel (Panel_AddReleve) floating over the grid: it narrows the relevés of the
/// vegetation database by a record range, a mesh-code prefix and up to five species conditions,
/// compared exactly or, with "大文字・小文字を区別しない" checked, without regard to case, and shows how many qualify while it scans, and puts the selected relevés into the table. It stays
/// open while the user scans as often as wanted, and closes with "表へ組み込む" (which inserts)
/// or "組み込まず終了". Its controls carry the names of the program's components ("EditName1",
/// "RtN2", "LabFitN" …). The commands themselves are the extraction command's.
class AddRelevePanel : public QFrame
{
    Q_OBJECT

public:
    /// Number of species conditions.
    static constexpr int ConditionCount = 5;
    /// Characters a species name field takes from the keyboard.
    static constexpr int NameMaxLength = 28;
    /// The counters repaint at most this often while a scan runs (milliseconds), and at its end.
    static constexpr int CounterRepaintInterval = 50;

    /// A hidden panel over the extraction command's database and table, a child of parent (the
    /// main window). command must outlive the panel.
    AddRelevePanel(ExtractionCommand *command, QWidget *parent);

    /// Menu "表にデータを加える": shows the panel with the database's name and record range, the
    /// table's counts and the counters at "0", no record selected; the species conditions stay as
    /// they were. The keyboard focus goes to the mesh-code field.
    void itemAddReleveClick();
    /// "データファイル変更": lets the user choose another database, then opens the panel afresh.
    void btnChgFileClick();
    /// "初期化": empties the mesh code and the species names, sets the minimum covers to "+",
    /// the range to the whole database and the counters to "0", and forgets the selection; the
    /// joins and "大文字・小文字を区別しない" stay.
    void btnRetrResetClick();
    /// "新規抽出" (newExtraction) or "追加抽出" (keeps the earlier selection): scans the record
    /// range; the counters show the record examined and the number selected while it runs.
    void btnRetrNewClick(bool newExtraction);
    /// "表へ組み込む": hides the panel and puts the selected relevés into the table; the user
    /// then names the table.
    void btnToTableClick();
    /// "組み込まず終了": hides the panel without inserting.
    void btnRetrQuitClick();
    /// "標準名に変換": replaces each species name by its standard name from the dictionary.
    void btnSynToComClick();

    /// What the panel's fields ask for: range, mesh code, the five species conditions and whether
    /// case is ignored. A minimum cover typed that is none of the list's items gives a condition
    /// that never holds.
    RetrievalQuery query() const;

private:
    /// The database name, the range limits and the table's counts, as opening sets them.
    void showDatabaseAndTable();
    /// The record range follows the database's record count.
    void databaseChanged();
    /// Puts the scan's counters on screen and repaints the panel at once.
    void showCounters(int record, int fitCount, bool fitShown);
    /// The line under the counters that tells how many records of the scan could not be read;
    /// hidden when there were none.
    void showUnreadable(int count);

    ExtractionCommand *m_command;
    QLabel *m_fileName;
    QPushButton *m_chgFile;
    QLabel *m_relN;
    QLabel *m_spN;
    QSpinBox *m_rtN1;
    QSpinBox *m_rtN2;
    QLineEdit *m_editGrid;
    std::array<QLineEdit *, ConditionCount> m_names{};
    std::array<QComboBox *, ConditionCount> m_covers{};
    std::array<QButtonGroup *, ConditionCount> m_joins{};
    QCheckBox *m_ignoreCase;
    QPushButton *m_synToCom;
    QLabel *m_serachN;
    QLabel *m_fitN;
    QLabel *m_unreadable;
    QPushButton *m_reset;
    QPushButton *m_new;
    QPushButton *m_add;
    QPushButton *m_quit;
    QPushButton *m_toTable;
};

} // namespace Zelkor
