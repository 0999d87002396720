#include "output/outputpanel.h"

#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

namespace Zelkor {

OutputPanel::OutputPanel(TableModel &model, HeaderItems &items, Settings &settings, QString *tableTitle,
                         UserInterface &ui, Hooks hooks)
    : m_model(model)
    , m_items(items)
    , m_settings(settings)
    , m_tableTitle(tableTitle)
    , m_ui(ui)
    , m_hooks(std::move(hooks))
{
}

QStringList OutputPanel::methodCaptions()
{
    return coverMethodCaptions();
}

QStringList OutputPanel::directionCaptions()
{
    return {QStringLiteral("行 ＝ 植物"), QStringLiteral("行 ＝ 測定")};
}

void OutputPanel::setOutput(int mode, Routine routine)
{
    if (mode >= 0 && mode < int(m_outputs.size()) && mode != ChangeItem)
        m_outputs[std::size_t(mode)] = std::move(routine);
}

bool OutputPanel::hasOutput(int mode) const
{
    return mode >= 0 && mode < int(m_outputs.size()) && bool(m_outputs[std::size_t(mode)]);
}

QString OutputPanel::confirmCaption() const
{
    return m_mode == ChangeItem ? QStringLiteral("設定する") : QStringLiteral("出力する");
}

bool OutputPanel::itemEnabled(int n) const
{
    return n >= 1 && n <= HeaderItems::Count && !m_itemsGreyed && m_items[n].layout;
}

QString OutputPanel::itemLabel(int n) const
{
    return n >= 1 && n <= HeaderItems::Count ? m_items[n].label : QString();
}

bool OutputPanel::itemChecked(int n) const
{
    return n >= 1 && n <= HeaderItems::Count && m_items[n].selected;
}

void OutputPanel::setItemChecked(int n, bool checked)
{
    if (!itemEnabled(n) || m_items[n].selected == checked)
        return;
    m_items[n].selected = checked;
    Q_EMIT changed();
}

QString OutputPanel::titleText() const
{
    return m_settings.title;
}

void OutputPanel::setTitleText(const QString &text)
{
    m_settings.title = text;
}

bool OutputPanel::frequency() const { return m_settings.frequency; }
void OutputPanel::setFrequency(bool on) { m_settings.frequency = on; }
bool OutputPanel::oneTime() const { return m_settings.oneTime; }
void OutputPanel::setOneTime(bool on) { m_settings.oneTime = on; }
int OutputPanel::direction() const { return m_settings.direction; }
void OutputPanel::setDirection(int index) { m_settings.direction = index; }
int OutputPanel::method() const { return m_settings.cvMethod; }
void OutputPanel::setMethod(int index) { m_settings.cvMethod = index; }

QString OutputPanel::printFontName() const
{
    return m_settings.printFont.name;
}

int OutputPanel::printFontSize() const
{
    return m_settings.printFont.pointSize;
}

// --- The outputs -----------------------------------------------------------------------------

void OutputPanel::openForOutput(int mode)
{
    if (mode < TextFile || mode > Cornell || mode == ChangeItem)
        return;
    // Another output chosen while the items were being changed cancels that change.
    if (m_visible && m_mode == ChangeItem)
        cancelItemChange();
    m_mode = mode;
    prepareForOutput();
}

void OutputPanel::prepareForOutput()
{
    m_visible = true;
    m_editedItem = 0;
    m_settings.title = *m_tableTitle;

    static const char *const headings[] = {
        "組成表テキスト出力、項目選択と表題修正", "組成表エクセル出力、項目選択と表題修正",
        "組成表を印刷出力、項目選択と表題修正",   "組成表の簡易印刷、項目選択と表題修正",
        "数値表をCSV形式で出力",                  "PCord用の数値表をCSV出力",
        "",                                       "Cornell 形式（DECORANA・TWINSPAN・CANOCO 用）で出力",
    };
    m_heading = QString::fromUtf8(headings[m_mode]);
    m_fontPanelVisible = m_mode == PrintTable || m_mode == PrintKanni;

    if (m_mode <= PrintKanni) {
        // Every item of the table's layout is ticked again, whatever was ticked before.
        const CellGrid &grid = m_model.grid();
        for (int q = 1; q < m_model.headerRows(); ++q) {
            const int n = TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q));
            if (n >= 1 && n <= HeaderItems::Count) {
                m_items[n].layout = true;
                m_items[n].selected = true;
            }
        }
        m_itemsGreyed = false;
        m_numericNoteVisible = false;
        m_optionsForTable = true;
        m_directionEnabled = false;
        m_methodEnabled = false;
    } else {
        // The numeric outputs write no header item: the boxes are only greyed, the layout stays.
        m_itemsGreyed = true;
        m_numericNoteVisible = true;
        m_optionsForTable = false;
        m_methodEnabled = true;
        m_directionEnabled = m_mode == ValueMatrix;
    }

    if (m_hooks.recomputeFrequencies)
        m_hooks.recomputeFrequencies();

    const int species = m_model.speciesCount();
    const int releves = m_model.releveCount();
    m_pn1.setBounds(1, species);
    m_pn2.setBounds(1, species);
    m_pn1.setValue(1);
    m_pn2.setValue(species);
    m_tn1.setBounds(1, releves);
    m_tn2.setBounds(1, releves);
    m_tn1.setValue(1);
    m_tn2.setValue(releves);
    Q_EMIT changed();
}

void OutputPanel::confirm()
{
    m_visible = false;
    if (m_mode == ChangeItem) {
        applyItemChange();
        return;
    }
    if (*m_tableTitle != m_settings.title) {
        TableHistory::Step step(m_history, QStringLiteral("標題の変更"));
        *m_tableTitle = m_settings.title;
        m_model.setModified(true); // the title is saved with the table
    }
    m_range = OutputRange{m_tn1.value(), m_tn2.value(), m_pn1.value(), m_pn2.value()};
    Q_EMIT changed();
    if (m_hooks.titleChanged)
        m_hooks.titleChanged();
    if (hasOutput(m_mode)) {
        m_outputs[std::size_t(m_mode)](m_range);
        Q_EMIT outputDone();
    }
}

void OutputPanel::cancel()
{
    m_visible = false;
    if (m_mode == ChangeItem)
        cancelItemChange();
    Q_EMIT changed();
}

void OutputPanel::cancelItemChange()
{
    // The layout goes back to what it was before the mode began, and every item of it is
    // ticked.
    for (int n = 1; n <= HeaderItems::Count; ++n) {
        m_items[n].layout = m_itemsBeforeChange[std::size_t(n)].layout;
        m_items[n].selected = m_items[n].layout;
    }
    m_settings.useDataItem = m_useDataItemBeforeChange;
    leaveItemChangeMode();
}

void OutputPanel::choosePrintFont()
{
    if (m_hooks.chooseFont)
        m_hooks.chooseFont();
    Q_EMIT changed();
}

// --- Changing the table's header items ------------------------------------------------------

void OutputPanel::beginItemChange()
{
    if (m_visible && m_mode == ChangeItem)
        return;
    if (m_model.releveCount() > 0 && !m_ui.askYesNo(QStringLiteral("表が初期化されます、続けますか？")))
        return;
    // A table with unsaved changes is saved first, if the user wants it.
    if (m_hooks.confirmDiscardTable && !m_hooks.confirmDiscardTable())
        return;

    for (int n = 1; n <= HeaderItems::Count; ++n) {
        m_itemsBeforeChange[std::size_t(n)] = ItemState{m_items[n].layout, m_items[n].selected};
        m_items[n].layout = true;
    }
    m_useDataItemBeforeChange = m_settings.useDataItem;
    m_titleBeforeChange = m_settings.title;

    m_mode = ChangeItem;
    m_heading = QStringLiteral("項目組込は左、名称修正は右クリック");
    m_visible = true;
    m_fontPanelVisible = false;
    m_numericNoteVisible = false;
    m_itemsGreyed = false;
    m_settings.useDataItem = false;
    // In this mode the title box is the label editor.
    m_settings.title.clear();
    m_editedItem = 0;
    m_optionsForTable = false;
    m_directionEnabled = false;
    m_methodEnabled = false;
    Q_EMIT changed();
}

void OutputPanel::applyItemChange()
{
    for (int n = 1; n <= HeaderItems::Count; ++n)
        m_items[n].layout = m_items[n].selected;
    // Row 1 is always the relevés' running numbers: item 1 cannot leave the layout, or the
    // numbers would overwrite the values of the item laid out in its place.
    m_items[1].layout = true;
    m_items[1].selected = true;
    leaveItemChangeMode();
    Q_EMIT changed();
    if (m_hooks.clearTable)
        m_hooks.clearTable();
}

void OutputPanel::leaveItemChangeMode()
{
    // The title box was the label editor; it shows the title again.
    m_settings.title = m_titleBeforeChange;
    m_editedItem = 0;
}

void OutputPanel::pressItem(int n, bool rightButton)
{
    m_editedItem = 0;
    if (rightButton && n >= 1 && n <= HeaderItems::Count) {
        m_settings.title = m_items[n].label;
        m_editedItem = n;
    }
    Q_EMIT changed();
}

void OutputPanel::renameItem()
{
    if (m_editedItem < 1 || m_editedItem > HeaderItems::Count)
        return;
    m_items[m_editedItem].label = m_settings.title;
    Q_EMIT changed();
}

} // namespace Zelkor
