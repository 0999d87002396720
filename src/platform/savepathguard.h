#pragma once

#include "platform/printerstream.h"
#include "platform/userinterface.h"

#include <functional>

namespace Zelkor {

/// "同名のファイルが存在します。書き換えますか？", asked before a file chosen in a save dialog
/// is replaced.
QString overwriteQuestion();

/// The save dialog of request; when the chosen file exists, asks overwriteQuestion() with Yes
/// and Abort. The chosen path, or empty when the user cancelled the dialog or answered Abort.
QString askSaveFile(UserInterface &ui, const FileDialogRequest &request);

/// The user interface the commands see: every question passes to the interface it wraps, but a
/// file chosen in a save dialog comes back only when it may be written, that is when it is none
/// of the files the program reads from (the database pair, the dictionary, the settings files,
/// however spelled) and nothing but a regular file stands under its name. Otherwise the reason
/// is shown and the dialog counts as cancelled, so no command overwrites its own inputs.
class SavePathGuard : public UserInterface
{
public:
    /// Wraps inner, asking inputFiles for the files in use at each save dialog; inner must
    /// outlive the guard.
    SavePathGuard(UserInterface *inner, std::function<QStringList()> inputFiles);

    bool askYesNo(const QString &text) override { return m_inner->askYesNo(text); }
    YesNoCancel askYesNoCancel(const QString &text) override { return m_inner->askYesNoCancel(text); }
    bool askYesAbort(const QString &text) override { return m_inner->askYesAbort(text); }
    void showMessage(const QString &text) override { m_inner->showMessage(text); }
    void showError(const QString &caption, const QString &text) override { m_inner->showError(caption, text); }
    bool getText(const QString &caption, const QString &prompt, QString *value) override
    {
        return m_inner->getText(caption, prompt, value);
    }
    bool chooseItem(const QString &caption, const QString &prompt, const QStringList &items, int *index) override
    {
        return m_inner->chooseItem(caption, prompt, items, index);
    }
    QString getOpenFileName(const FileDialogRequest &request) override { return m_inner->getOpenFileName(request); }
    /// The save dialog of the wrapped interface; empty also when the chosen file may not be
    /// written (the reason has been shown).
    QString getSaveFileName(const FileDialogRequest &request) override;
    bool chooseFont(FontSpec *font) override { return m_inner->chooseFont(font); }
    std::unique_ptr<PrinterStream> choosePrinter(const QString &documentName) override
    {
        return m_inner->choosePrinter(documentName);
    }
    void showWorkMessage(const QString &line1, const QString &line2 = QString()) override
    {
        m_inner->showWorkMessage(line1, line2);
    }
    void showGuideMessage(const QString &line1, const QString &line2) override { m_inner->showGuideMessage(line1, line2); }
    void showCancelableWork(const QString &line1, const QString &line2, Feedback *work) override
    {
        m_inner->showCancelableWork(line1, line2, work);
    }
    void closeWorkMessage() override { m_inner->closeWorkMessage(); }
    void setBusy(bool busy) override { m_inner->setBusy(busy); }
    TextEncoding csvEncoding() const override { return m_inner->csvEncoding(); }
    void setCsvEncoding(TextEncoding encoding) override { m_inner->setCsvEncoding(encoding); }

private:
    UserInterface *m_inner;
    std::function<QStringList()> m_inputFiles;
};

} // namespace Zelkor
