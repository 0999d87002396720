#pragma once

#include <QFrame>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Zelkor {

/// The search panel (QueryPanel) floating over the grid: the label "検索する文字列", the search box
/// with the earlier search texts, the check box "大文字・小文字を区別しない" (off at first), and the
/// buttons "完全一致" (exact match), "部分一致" (partial match) and "中止" (cancel). Enter in the
/// box searches by partial match, Escape cancels. The panel hides on a search or a cancel; the
/// box keeps its text and the check box its state for the next time.
class QueryPanel : public QFrame
{
    Q_OBJECT

public:
    static constexpr int PanelWidth = 289;
    static constexpr int PanelHeight = 105;

    /// A hidden panel, a child of parent.
    explicit QueryPanel(QWidget *parent);

    /// Shows the panel at topLeft (parent coordinates, kept inside the parent) with history as
    /// the box's list of earlier texts, and puts the keyboard focus into the box.
    void showPanel(const QPoint &topLeft, const QStringList &history);
    /// The search box, the label and the buttons.
    QComboBox *queryBox() const { return m_box; }
    QLabel *queryLabel() const { return m_label; }
    QCheckBox *ignoreCaseBox() const { return m_ignoreCase; }
    QPushButton *exactButton() const { return m_exact; }
    QPushButton *partialButton() const { return m_partial; }
    QPushButton *cancelButton() const { return m_cancel; }

Q_SIGNALS:
    /// The user asked to search for text (as typed), exactly or by partial match, with or
    /// without regard to case; the panel has been hidden already.
    void searchRequested(const QString &text, bool exact, bool ignoreCase);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The buttons and the Enter key: only "完全一致" searches exactly.
    void queryBtn1Click(const QObject *sender);
    /// "中止" and Escape: hides the panel; the marks stay.
    void queryCancelBtnClick();

    QLabel *m_label;
    QComboBox *m_box;
    QCheckBox *m_ignoreCase;
    QPushButton *m_exact;
    QPushButton *m_partial;
    QPushButton *m_cancel;
};

} // namespace Zelkor
