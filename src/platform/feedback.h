#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace Zelkor {

class UserInterface;

/// The progress and the cancel request of one long piece of work (scanning a database, inserting
/// relevés, reciprocal averaging, writing a workbook, a print or a matrix), shared by the work and
/// whoever watches it: the work message with its "中止" button, a test script, the batch front
/// end on an interrupt. The work reports where it is with setProgress() and asks isCanceled()
/// where stopping leaves the table and every file as they were; a cancelled work ends without
/// changing either.
class Feedback
{
public:
    /// Told every progress report; it shows the progress as often as it likes and may cancel.
    using Watcher = std::function<void(Feedback &)>;

    Feedback() = default;
    Feedback(const Feedback &) = delete;
    Feedback &operator=(const Feedback &) = delete;

    /// "中止しました": what a cancelled command says.
    static QString canceledMessage() { return QStringLiteral("中止しました"); }

    /// Asks the work to stop. Safe from any thread.
    void cancel() { m_canceled.store(true, std::memory_order_relaxed); }
    /// Whether the work is to stop: cancel() was called or the process was interrupted. Safe
    /// from any thread.
    bool isCanceled() const
    {
        return m_canceled.load(std::memory_order_relaxed) || s_interrupted.load(std::memory_order_relaxed);
    }

    /// The work is at position (the record read, the iteration, the row written); found is what
    /// it selected so far, where that means something. Tells the watcher.
    void setProgress(int position, int found = 0)
    {
        m_position = position;
        m_found = found;
        if (m_watcher)
            m_watcher(*this);
    }
    int position() const { return m_position; }
    int found() const { return m_found; }
    /// What the work message shows before the position ("Step 2: "); empty by default.
    void setLabel(const QString &label) { m_label = label; }
    const QString &label() const { return m_label; }
    /// The progress as the work message's second line: the label and the position.
    QString progressText() const { return m_label + QString::number(m_position); }

    /// Reports position (and found) to feedback when there is one; false when the work is to
    /// stop there.
    static bool advance(Feedback *feedback, int position, int found = 0)
    {
        if (!feedback)
            return true;
        feedback->setProgress(position, found);
        return !feedback->isCanceled();
    }
    /// Whether feedback is there and cancelled.
    static bool canceled(const Feedback *feedback) { return feedback && feedback->isCanceled(); }

    /// Sets the watcher (an empty one: none).
    void setWatcher(Watcher watcher) { m_watcher = std::move(watcher); }

    /// Stops every work of the process, as an interrupt (Ctrl+C) of the batch front end does.
    /// Safe in a signal handler.
    static void interruptAll() { s_interrupted.store(true, std::memory_order_relaxed); }
    /// Whether interruptAll() was called.
    static bool interrupted() { return s_interrupted.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_canceled{false};
    int m_position = 0;
    int m_found = 0;
    QString m_label;
    Watcher m_watcher;
    static inline std::atomic<bool> s_interrupted{false};
};

/// A cancellable work message for as long as the object lives: shown with the "中止" button of
/// the user interface (none without one), following the feedback's progress, and closed when the
/// object goes.
class CancelableWork
{
public:
    /// Shows line1 (and line2 until the first progress report) with the cancel button; ui may be
    /// null (no message, the work still has its feedback). The progress shows as label and
    /// position.
    CancelableWork(UserInterface *ui, const QString &line1, const QString &label = QString(),
                   const QString &line2 = QString());
    ~CancelableWork();
    CancelableWork(const CancelableWork &) = delete;
    CancelableWork &operator=(const CancelableWork &) = delete;

    Feedback *feedback() { return &m_feedback; }
    bool isCanceled() const { return m_feedback.isCanceled(); }
    /// Closes the work message now (a message box must not wait behind it).
    void close();
    /// The next stage of the work: another first line and label.
    void setStage(const QString &line1, const QString &label = QString(), const QString &line2 = QString());

private:
    UserInterface *m_ui;
    Feedback m_feedback;
};

} // namespace Zelkor
