#include "platform/scripteduserinterface.h"

#include "platform/feedback.h"

namespace Zelkor {

QStringList ScriptedUserInterface::messages() const
{
    QStringList out;
    for (const QString &entry : m_log) {
        if (entry.startsWith(QLatin1String("message:")))
            out << entry.mid(8);
        else if (entry.startsWith(QLatin1String("error:"))) {
            // "error:CAPTION:TEXT": the caption may hold no colon of its own, the text may.
            const QString rest = entry.mid(6);
            const qsizetype colon = rest.indexOf(QLatin1Char(':'));
            out << (colon >= 0 ? rest.mid(colon + 1) : rest);
        }
    }
    return out;
}

YesNoCancel ScriptedUserInterface::nextAnswer(YesNoCancel otherwise)
{
    if (m_answers.empty()) {
        m_unanswered << m_log.last();
        return m_defaultYes ? YesNoCancel::Yes : otherwise;
    }
    const YesNoCancel answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool ScriptedUserInterface::askYesNo(const QString &text)
{
    m_log << QStringLiteral("yesno:") + text;
    return nextAnswer(YesNoCancel::No) == YesNoCancel::Yes;
}

YesNoCancel ScriptedUserInterface::askYesNoCancel(const QString &text)
{
    m_log << QStringLiteral("yesnocancel:") + text;
    return nextAnswer(YesNoCancel::Cancel);
}

bool ScriptedUserInterface::askYesAbort(const QString &text)
{
    m_log << QStringLiteral("yesabort:") + text;
    return nextAnswer(YesNoCancel::No) == YesNoCancel::Yes;
}

void ScriptedUserInterface::showMessage(const QString &text)
{
    m_log << QStringLiteral("message:") + text;
}

void ScriptedUserInterface::showError(const QString &caption, const QString &text)
{
    m_log << QStringLiteral("error:") + caption + QLatin1Char(':') + text;
}

bool ScriptedUserInterface::getText(const QString &caption, const QString &prompt, QString *value)
{
    m_log << QStringLiteral("input:") + caption + QLatin1Char(':') + prompt + QLatin1Char(':')
                 + (value ? *value : QString());
    if (m_texts.empty()) {
        m_unanswered << m_log.last();
        return m_defaultYes;
    }
    const Text answer = m_texts.front();
    m_texts.pop_front();
    if (answer.ok && value)
        *value = answer.text;
    return answer.ok;
}

bool ScriptedUserInterface::chooseItem(const QString &caption, const QString &prompt, const QStringList &items,
                                       int *index)
{
    m_log << QStringLiteral("choice:") + caption + QLatin1Char(':') + prompt;
    if (m_choices.empty()) {
        m_unanswered << m_log.last();
        return m_defaultYes;
    }
    const int answer = m_choices.front();
    m_choices.pop_front();
    if (answer < 0 || answer >= items.size())
        return false;
    *index = answer;
    return true;
}

QString ScriptedUserInterface::nextFile(const QString &kind, const FileDialogRequest &request)
{
    m_log << kind + request.title;
    m_lastRequest = request;
    if (m_files.empty()) {
        m_unanswered << m_log.last();
        return QString();
    }
    const QString file = m_files.front();
    m_files.pop_front();
    return file;
}

QString ScriptedUserInterface::getOpenFileName(const FileDialogRequest &request)
{
    return nextFile(QStringLiteral("open:"), request);
}

QString ScriptedUserInterface::getSaveFileName(const FileDialogRequest &request)
{
    const QString path = nextFile(QStringLiteral("save:"), request);
    if (request.offerEncoding) {
        request.encoding = csvEncoding();
        if (!m_encodings.empty()) {
            request.encoding = m_encodings.front();
            m_encodings.pop_front();
        }
        if (!path.isEmpty())
            setCsvEncoding(request.encoding);
    }
    return path;
}

bool ScriptedUserInterface::chooseFont(FontSpec *font)
{
    m_log << QStringLiteral("font");
    if (m_fonts.empty()) {
        m_unanswered << m_log.last();
        return m_defaultYes;
    }
    const Font answer = m_fonts.front();
    m_fonts.pop_front();
    if (answer.ok && font)
        *font = answer.font;
    return answer.ok;
}

std::unique_ptr<PrinterStream> ScriptedUserInterface::choosePrinter(const QString &documentName)
{
    m_log << QStringLiteral("print");
    m_lastPrintDocument = documentName;
    if (m_printers.empty()) {
        m_unanswered << m_log.last();
        return nullptr;
    }
    std::unique_ptr<PrinterStream> stream = std::move(m_printers.front());
    m_printers.pop_front();
    return stream;
}

void ScriptedUserInterface::showWorkMessage(const QString &line1, const QString &line2)
{
    m_log << QStringLiteral("work:") + line1 + QLatin1Char('|') + line2;
    m_workShown = true;
}

void ScriptedUserInterface::showGuideMessage(const QString &line1, const QString &line2)
{
    m_log << QStringLiteral("guide:") + line1 + QLatin1Char('|') + line2;
    m_workShown = true;
}

void ScriptedUserInterface::showCancelableWork(const QString &line1, const QString &line2, Feedback *work)
{
    showWorkMessage(line1, line2);
    if (m_work != work)
        m_reports = 0;
    m_work = work;
    if (!work)
        return;
    work->setWatcher([this, line1](Feedback &f) {
        ++m_reports;
        if (m_logProgress)
            m_log << QStringLiteral("work:") + line1 + QLatin1Char('|') + f.progressText();
        if (m_cancelAt > 0 && m_reports == m_cancelAt) {
            m_cancelAt = 0;
            m_log << QStringLiteral("cancel");
            f.cancel();
        }
    });
}

void ScriptedUserInterface::closeWorkMessage()
{
    m_log << QStringLiteral("work-closed");
    m_workShown = false;
    if (m_work)
        m_work->setWatcher({});
    m_work = nullptr;
}

} // namespace Zelkor
