#pragma once

#include "output/numberfield.h"
#include "table/outputrange.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace Zelkor {

class HeaderItems;
class TableHistory;
class TableModel;
class UserInterface;
struct Settings;

/// The output panel (PaneltoPrint) without its widgets. Six outputs of the composition table
/// share it: the menu command records the output wanted (OutputMode) and opens the panel, where
/// the user ticks the header items, sets the relevé and species ranges, edits the title and
/// chooses the options; "出力する" stores the title and the ranges and runs the output. The same
/// panel changes the table's header items (item-change mode): a left click puts an item in the
/// layout, a right click picks its label for correction.
///
/// The item labels, layout flags and check marks are the header items'; the frequency and
/// single-occurrence boxes, the direction, the cover conversion and the title box text are the
/// settings'. changed() tells the widget to show the panel's state again.
class OutputPanel : public QObject
{
    Q_OBJECT

public:
    /// The table's undo history: the command's change of the table becomes one step of it.
    void setHistory(TableHistory *history) { m_history = history; }

    /// OutputMode: which action the panel serves.
    enum Mode {
        TextFile = 0,    ///< "表をテキスト出力(&F)"
        ExcelFile = 1,   ///< "エクセル形式出力(&X)"
        PrintTable = 2,  ///< "組成表を直接印刷(&P)"
        PrintKanni = 3,  ///< "表を省略簡易印刷(&K)"
        ValueMatrix = 4, ///< "数値表として出力する"
        PCordCSV = 5,    ///< "PCord用にCSV出力する"
        ChangeItem = 6,  ///< "表組み項目の変更"
        Cornell = 7,     ///< "Cornell 形式で出力する"
    };

    /// What the panel asks of the rest of the program.
    struct Hooks
    {
        std::function<void()> clearTable;            ///< empties the table and lays it out again
        std::function<void()> recomputeFrequencies;  ///< recomputes the frequencies and numbers
        std::function<void()> chooseFont;            ///< the font dialog for the print font
        std::function<void()> titleChanged;          ///< the table title was replaced
        std::function<bool()> confirmDiscardTable;   ///< a changed table may go (saved or not)
    };

    /// A hidden panel over model's table. Everything given must outlive the panel.
    OutputPanel(TableModel &model, HeaderItems &items, Settings &settings, QString *tableTitle,
                UserInterface &ui, Hooks hooks);

    /// The choices of "優占度変換" (cover conversion 0..6) and of "出力方向".
    static QStringList methodCaptions();
    static QStringList directionCaptions();

    /// What "出力する" runs in an output mode: the output of the range given.
    using Routine = std::function<void(const OutputRange &range)>;
    /// Sets the routine that "出力する" runs in an output mode (0..5, 7); it reads the settings.
    void setOutput(int mode, Routine routine);
    /// Whether the output mode has its routine.
    bool hasOutput(int mode) const;

    // --- Commands --------------------------------------------------------------------------
    /// The menu command of an output mode (0..5, 7): records the mode and prepares and shows the
    /// panel.
    void openForOutput(int mode);
    /// Prepares the panel for the recorded mode and shows it: heading, title, item ticks (every
    /// item of the table's layout ticked again in modes 0..3, all greyed in modes 4 and 5), the
    /// enabled options, and the range fields bounded by the table's counts.
    void prepareForOutput();
    /// "出力する" / "設定する": hides the panel; in item-change mode applies the ticks to the
    /// layout; otherwise stores the title and the ranges and runs the output of the mode.
    void confirm();
    /// "取止める": hides the panel; in item-change mode the items go back to the layout and the
    /// ticks they had before the mode began.
    void cancel();
    /// "変更": the font dialog for the print font.
    void choosePrintFont();
    /// Menu "表組み項目の変更": asks, when the table has relevés, whether it may be blanked, then
    /// opens the panel in item-change mode with every item available.
    void beginItemChange();
    /// Applies the ticks to the layout and blanks the table, which lays the new header rows out.
    void applyItemChange();
    /// A mouse press on item n's check box: a right press picks the item's label into the title
    /// box for correction, any other press forgets the picked item.
    void pressItem(int n, bool rightButton);
    /// "修正": the picked item takes the title box's text as its label.
    void renameItem();

    // --- State shown by the widget ---------------------------------------------------------
    bool isVisible() const { return m_visible; }
    /// OutputMode (0..6).
    int outputMode() const { return m_mode; }
    /// LabelOut: the heading.
    QString heading() const { return m_heading; }
    /// The confirm button's caption ("出力する" or "設定する").
    QString confirmCaption() const;
    /// Item-change mode: the panel is pale yellow and shows "修正".
    bool itemChangeMode() const { return m_mode == ChangeItem; }
    /// PanelFont, the print-font box: shown for the two prints.
    bool fontPanelVisible() const { return m_fontPanelVisible; }
    /// LabelNmat, the note of the numeric outputs.
    bool numericNoteVisible() const { return m_numericNoteVisible; }
    /// Enabled states of "出現頻度", "出現１回の種を別書", "出力方向" and "優占度変換".
    bool frequencyEnabled() const { return m_optionsForTable; }
    bool oneTimeEnabled() const { return m_optionsForTable; }
    bool directionEnabled() const { return m_directionEnabled; }
    bool methodEnabled() const { return m_methodEnabled; }
    /// Whether item n's check box can be ticked: its layout flag, except in the numeric outputs'
    /// modes, where every box is greyed.
    bool itemEnabled(int n) const;
    /// Item n's label, the caption of its check box.
    QString itemLabel(int n) const;
    /// Item n's tick (its selection flag); the user ticks and unticks with setItemChecked().
    bool itemChecked(int n) const;
    void setItemChecked(int n, bool checked);
    /// The title box (EditTitle): the table title, or in item-change mode the label editor.
    QString titleText() const;
    void setTitleText(const QString &text);
    /// The title box's width in pixels (376, or 170 in item-change mode).
    int titleWidth() const { return m_mode == ChangeItem ? 170 : 376; }
    /// The options kept in the settings.
    bool frequency() const;
    void setFrequency(bool on);
    bool oneTime() const;
    void setOneTime(bool on);
    int direction() const;
    void setDirection(int index);
    int method() const;
    void setMethod(int index);
    /// The range fields: TN1, TN2 (relevés) and PN1, PN2 (species).
    NumberField &releveFrom() { return m_tn1; }
    NumberField &releveTo() { return m_tn2; }
    NumberField &speciesFrom() { return m_pn1; }
    NumberField &speciesTo() { return m_pn2; }
    /// The item whose label a right click picked (0 = none).
    int editedItem() const { return m_editedItem; }
    /// The print font's face name and size, as the font box shows them.
    QString printFontName() const;
    int printFontSize() const;

    /// The output ranges the last "出力する" stored (OutFirstReleve … OutLastSpecies).
    OutputRange range() const { return m_range; }

Q_SIGNALS:
    /// The panel's state changed: the widget shows it again.
    void changed();
    /// An output ran; it may have recomputed the table's numbers.
    void outputDone();

private:
    /// Ends item-change mode as "取止める" does: the layout and ticks as before it began.
    void cancelItemChange();
    void leaveItemChangeMode();

    TableModel &m_model;
    TableHistory *m_history = nullptr;
    HeaderItems &m_items;
    Settings &m_settings;
    QString *m_tableTitle;
    UserInterface &m_ui;
    Hooks m_hooks;
    std::array<Routine, 8> m_outputs;

    bool m_visible = false;
    int m_mode = TextFile;
    QString m_heading = QStringLiteral("出力項目の選択、表題の変更");
    bool m_fontPanelVisible = false;
    bool m_numericNoteVisible = false;
    bool m_optionsForTable = true;
    bool m_directionEnabled = false;
    bool m_methodEnabled = false;
    bool m_itemsGreyed = false;
    NumberField m_tn1;
    NumberField m_tn2;
    NumberField m_pn1;
    NumberField m_pn2;
    int m_editedItem = 0;
    OutputRange m_range;
    // What item-change mode changes, kept to be put back when it is cancelled.
    struct ItemState
    {
        bool layout;
        bool selected;
    };
    std::array<ItemState, 31> m_itemsBeforeChange{};
    bool m_useDataItemBeforeChange = true;
    QString m_titleBeforeChange;
};

} // namespace Zelkor
