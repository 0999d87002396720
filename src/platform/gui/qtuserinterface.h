#pragma once

#include "platform/userinterface.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace Zelkor {

class MessagePanel;

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

    /// "label (pattern)" file-type entries for a file dialog from "label|pattern" entries.
    static QStringList nameFilters(const QStringList &filters);

    bool askYesNo(const QString &text) override;
    YesNoCancel askYesNoCancel(const QString &text) override;
    bool askYesAbort(const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &caption, const QString &text) override;
    bool getText(const QString &caption, const QString &prompt, QString *value) override;
    QString getOpenFileName(const FileDialogRequest &request) override;
    QString getSaveFileName(const FileDialogRequest &request) override;
    bool chooseFont(FontSpec *font) override;
    void showWorkMessage(const QString &line1, const QString &line2 = QString()) override;
    void showGuideMessage(const QString &line1, const QString &line2) override;
    void closeWorkMessage() override;
    void setBusy(bool busy) override;

private:
    QString runFileDialog(const FileDialogRequest &request, bool save);

    QPointer<QWidget> m_window;
    QPointer<MessagePanel> m_panel;
    // Each dialog starts where it was last left.
    QString m_openDirectory;
    QString m_saveDirectory;
    int m_busyDepth = 0;
    bool m_workCursor = false;
};

} // namespace Zelkor
