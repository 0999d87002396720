#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace Zelkor {

/// The work message: a framed two-line panel in the tooltip colour that floats over the main
/// window while a long operation runs. It paints itself at once when shown or changed, so it is
/// visible although the operation does not return to the event loop.
class MessagePanel : public QFrame
{
    Q_OBJECT

public:
    /// The panel's fixed size in pixels; the cancel button makes it taller.
    static constexpr int Width = 297;
    static constexpr int Height = 69;
    static constexpr int CancelableHeight = 103;

    explicit MessagePanel(QWidget *parent = nullptr);

    /// Shows the two lines (the lower may be empty), centred over the parent, and paints them.
    void showMessage(const QString &line1, const QString &line2);
    /// The upper and lower line shown.
    QString line1() const;
    QString line2() const;
    /// Shows or hides the "中止" button under the lines.
    void setCancelable(bool cancelable);
    /// The "中止" button.
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QLabel *m_label1;
    QLabel *m_label2;
    QPushButton *m_cancel;
};

} // namespace Zelkor
