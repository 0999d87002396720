#pragma once

#include "platform/textfile.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Zelkor {

class Feedback;
class PrinterStream;

/// A font as the settings and the logic know it: face name and size in points.
struct FontSpec
{
    QString name;
    int pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontSpec &) const = default;
};

/// What an open or save dialog is asked to show.
struct FileDialogRequest
{
    QString title;              ///< empty: the platform's default caption
    QStringList filters;        ///< "label|pattern" entries, as the program's file-type lists
    int filterIndex = 1;        ///< preselected entry, 1-based
    QString directory;          ///< initial directory (empty: the last one used)
    QString fileName;           ///< proposed name, may be a pattern such as "*.zki"
    QString defaultExtension;   ///< added to a name typed without one (".vtb"), may be empty
    /// A save dialog of a CSV file offers the choice of UTF-8 over CP932, starting from the
    /// choice remembered (UserInterface::csvEncoding()); the choice made comes back in encoding.
    bool offerEncoding = false;
    mutable TextEncoding encoding = TextEncoding::Cp932;

    /// A request for one file type: the entry "label|pattern" (as the file formats give it) with
    /// its default extension.
    static FileDialogRequest forType(const QString &filter, const QString &extension = QString())
    {
        FileDialogRequest request;
        request.filters = {filter};
        request.defaultExtension = extension;
        return request;
    }
    /// The preselected entry; empty when there is none.
    QString selectedFilter() const { return filters.value(filterIndex - 1); }
};

/// The answer to a question with the buttons はい, いいえ and キャンセル.
enum class YesNoCancel { Yes, No, Cancel };

/// Everything the program's logic asks of the user goes through this interface: questions,
/// messages, file and font choices and the work message. The main window answers with dialogs;
/// tests answer from a script.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    /// A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    /// A question with はい, いいえ and キャンセル (closing the question cancels).
    virtual YesNoCancel askYesNoCancel(const QString &text) = 0;
    /// A question with Yes and Abort (the overwrite question); true for Yes.
    virtual bool askYesAbort(const QString &text) = 0;
    /// A plain message with OK.
    virtual void showMessage(const QString &text) = 0;
    /// A message box with the error icon.
    virtual void showError(const QString &caption, const QString &text) = 0;
    /// A one-line input dialog; false when cancelled, else *value holds the entered text.
    virtual bool getText(const QString &caption, const QString &prompt, QString *value) = 0;
    /// A choice of one of items (a list to pick from); *index comes in as the one proposed and
    /// goes out as the one chosen (0-based). False when cancelled.
    virtual bool chooseItem(const QString &caption, const QString &prompt, const QStringList &items, int *index) = 0;
    /// The open dialog; empty when cancelled. *filterIndex (if given) receives the chosen type.
    virtual QString getOpenFileName(const FileDialogRequest &request) = 0;
    /// The save dialog; empty when cancelled.
    virtual QString getSaveFileName(const FileDialogRequest &request) = 0;
    /// The font dialog, opened with *font; false when cancelled, else *font is the choice.
    virtual bool chooseFont(FontSpec *font) = 0;
    /// The print dialog on the program's printer for the document documentName (the table's
    /// title: the job's name, and the file name proposed for printing to a file): the text
    /// stream of a print job on the printer the user confirmed, not opened yet; null when
    /// cancelled.
    virtual std::unique_ptr<PrinterStream> choosePrinter(const QString &documentName) = 0;

    /// Shows the two-line work message and the busy cursor; visible at once, without a return to
    /// the event loop. Calling it again while shown replaces the lines.
    virtual void showWorkMessage(const QString &line1, const QString &line2 = QString()) = 0;
    /// Shows the two lines in the work message's panel as a guide to what the user does next
    /// (a mouse drag), without the busy cursor; closeWorkMessage() hides it.
    virtual void showGuideMessage(const QString &line1, const QString &line2) { showWorkMessage(line1, line2); }
    /// Shows the work message of a long piece of work with a "中止" button that cancels work: the
    /// second line starts as line2 and then follows work's progress, and a press on the button (or Esc) reaches work
    /// although the work does not return to the event loop; nothing else of the window takes
    /// input meanwhile. closeWorkMessage() ends it; work must live until then.
    virtual void showCancelableWork(const QString &line1, const QString &line2, Feedback *work)
    {
        (void)work;
        showWorkMessage(line1, line2);
    }
    /// Hides the work message; normal cursor.
    virtual void closeWorkMessage() = 0;
    /// Busy cursor on or off, for short work without a message.
    virtual void setBusy(bool busy) = 0;

    /// The encoding chosen last in a CSV save dialog, which the next one starts from (kept in
    /// the settings file between sessions).
    virtual TextEncoding csvEncoding() const { return m_csvEncoding; }
    virtual void setCsvEncoding(TextEncoding encoding) { m_csvEncoding = encoding; }

private:
    TextEncoding m_csvEncoding = TextEncoding::Cp932;
};

} // namespace Zelkor
