#pragma once

#include "platform/printerstream.h"
#include "platform/userinterface.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>

namespace Zelkor {

/// A UserInterface that answers from a script, for tests and for the batch front end. Every
/// question is recorded in log(); an unexpected question (nothing queued) takes the default
/// answer and is recorded as such.
class ScriptedUserInterface : public UserInterface
{
public:
    /// Queues the answer to the next Yes/No, Yes/Abort or Yes/No/Cancel question. A Cancel
    /// answers a two-button question with No (or Abort).
    void answerYes() { m_answers.push_back(YesNoCancel::Yes); }
    void answerNo() { m_answers.push_back(YesNoCancel::No); }
    void answerCancel() { m_answers.push_back(YesNoCancel::Cancel); }
    /// Queues the text for the next input dialog; cancelInput() queues a cancel.
    void answerText(const QString &text) { m_texts.push_back(Text{true, text}); }
    void cancelInput() { m_texts.push_back(Text{false, {}}); }
    /// Queues the choice (0-based) for the next list to pick from; cancelChoice() queues a cancel.
    void answerChoice(int index) { m_choices.push_back(index); }
    void cancelChoice() { m_choices.push_back(-1); }
    /// Queues the file for the next open or save dialog (empty = cancel).
    void answerFile(const QString &path) { m_files.push_back(path); }
    /// The encoding ticked in the next CSV save dialog (by default the one remembered stays).
    void answerEncoding(TextEncoding encoding) { m_encodings.push_back(encoding); }
    /// Queues the font for the next font dialog; cancelFont() queues a cancel.
    void answerFont(const FontSpec &font) { m_fonts.push_back(Font{true, font}); }
    void cancelFont() { m_fonts.push_back(Font{false, {}}); }
    /// Queues the print job the next print dialog confirms; cancelPrinter() queues a cancel.
    void answerPrinter(std::unique_ptr<PrinterStream> stream) { m_printers.push_back(std::move(stream)); }
    void cancelPrinter() { m_printers.push_back(nullptr); }

    /// Answer given when nothing is queued: No, Cancel (the three-button question) or a cancelled
    /// dialog unless set. When set, questions get Yes and the input and font dialogs OK with
    /// their values unchanged; file and print dialogs still cancel.
    void setDefaultYes(bool yes) { m_defaultYes = yes; }
    /// Presses "中止" in the next cancellable work message at its report-th progress report
    /// (1 the first), as a user would.
    void cancelWorkAt(int report) { m_cancelAt = report; }
    /// Whether the progress reports of a cancellable work message are logged (by default they
    /// are, each as "work:LINE1|PROGRESS").
    void setLogProgress(bool on) { m_logProgress = on; }

    /// What was asked or shown, one entry each: "yesno:TEXT", "yesnocancel:TEXT",
    /// "yesabort:TEXT", "message:TEXT",
    /// "error:CAPTION:TEXT", "input:CAPTION:PROMPT:VALUE", "choice:CAPTION:PROMPT", "open:TITLE", "save:TITLE",
    /// "font", "print", "work:LINE1|LINE2", "guide:LINE1|LINE2", "work-closed", "cancel" (the
    /// press of "中止").
    const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); m_unanswered.clear(); }
    /// The last file dialog request.
    const FileDialogRequest &lastFileRequest() const { return m_lastRequest; }
    /// Messages and errors shown, in order (texts only).
    QStringList messages() const;
    /// The log entries of the questions and dialogs that found no queued answer and took the
    /// default, in order.
    const QStringList &unansweredQuestions() const { return m_unanswered; }
    bool workMessageShown() const { return m_workShown; }
    int pendingAnswers() const { return int(m_answers.size() + m_texts.size() + m_files.size() + m_fonts.size()
                                                  + m_printers.size() + m_choices.size()); }

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
    /// The document name the last print dialog was opened for.
    QString lastPrintDocument() const { return m_lastPrintDocument; }
    void showWorkMessage(const QString &line1, const QString &line2) override;
    void showGuideMessage(const QString &line1, const QString &line2) override;
    void showCancelableWork(const QString &line1, const QString &line2, Feedback *work) override;
    void closeWorkMessage() override;
    void setBusy(bool) override {}

private:
    struct Text { bool ok; QString text; };
    struct Font { bool ok; FontSpec font; };
    /// The next queued answer, or the default (Yes or the given one) when none is queued.
    YesNoCancel nextAnswer(YesNoCancel otherwise);
    /// Logs a file dialog ("open:" or "save:" and its title) and takes the next queued file.
    QString nextFile(const QString &kind, const FileDialogRequest &request);
    std::deque<YesNoCancel> m_answers;
    std::deque<Text> m_texts;
    std::deque<QString> m_files;
    std::deque<TextEncoding> m_encodings;
    std::deque<int> m_choices;
    std::deque<Font> m_fonts;
    std::deque<std::unique_ptr<PrinterStream>> m_printers;
    QStringList m_log;
    QStringList m_unanswered;
    FileDialogRequest m_lastRequest;
    QString m_lastPrintDocument;
    bool m_defaultYes = false;
    bool m_workShown = false;
    Feedback *m_work = nullptr;
    int m_reports = 0;
    int m_cancelAt = 0;
    bool m_logProgress = true;
};

} // namespace Zelkor
