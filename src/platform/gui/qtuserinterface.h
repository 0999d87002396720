#pragma once

#include "platform/userinterface.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QPrinter;
class QWidget;

namespace Zelkor {

class MessagePanel;
class WorkInputFilter;

/// The UserInterface of the desktop program: message boxes, the input, file and font dialogs,
/// and the work message panel over the main window, each owned by the window given.
class QtUserInterface : public UserInterface
{
public:
    /// window parents the dialogs and carries the work message panel; it may be set later.
    explicit QtUserInterface(QWidget *window = nullptr);
    ~QtUserInterface() override;

    /// Sets the window that parents the dialogs and carries the work message panel.
    void setWindow(QWidget *window);
    /// The work message panel (null before a window is set).
    MessagePanel *messagePanel() const;
    /// Sets the printer the print dialog chooses and configures (the main window's, shared with
    /// the printer setup); it must outlive the interface. Without one, printing is cancelled.
    void setPrinter(QPrinter *printer) { m_printer = printer; }

    /// "label (pattern)" file-type entries for a file dialog from "label|pattern" entries.
    static QStringList nameFilters(const QStringList &filters);

    bool askYesNo(const QString &text) override;
    YesNoCancel askYesNoCancel(const QString &text) override;
    bool askYesAbort(const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &caption, const QString &text) override;
    bool getText(const QString &caption, const QString &prompt, QString *value) override;
    bool chooseItem(const QString &caption, const QString &prompt, const QStringList &items, int *index) override;
    QString getOpenFileName(const FileDialogRequest &request) override;
    QString getSaveFileName(const FileDialogRequest &request) override;
    bool chooseFont(FontSpec *font) override;
    std::unique_ptr<PrinterStream> choosePrinter(const QString &documentName) override;
    void showWorkMessage(const QString &line1, const QString &line2 = QString()) override;
    void showGuideMessage(const QString &line1, const QString &line2) override;
    void showCancelableWork(const QString &line1, const QString &line2, Feedback *work) override;
    void closeWorkMessage() override;
    void setBusy(bool busy) override;

private:
    QString runFileDialog(const FileDialogRequest &request, bool save);
    /// "中止" pressed (or Esc): the work is asked to stop.
    void cancelWork();

    QPointer<QWidget> m_window;
    QPointer<MessagePanel> m_panel;
    QPrinter *m_printer = nullptr;
    // Each dialog starts where it was last left.
    QString m_openDirectory;
    QString m_saveDirectory;
    int m_busyDepth = 0;
    bool m_workCursor = false;
    // The cancellable work shown, the filter that keeps other input from the program meanwhile,
    // and when its progress was last shown.
    Feedback *m_work = nullptr;
    WorkInputFilter *m_inputFilter = nullptr;
    QElapsedTimer m_progressShown;
};

} // namespace Zelkor
