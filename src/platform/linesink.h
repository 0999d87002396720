#pragma once

#include <QString>
#include <QStringList>

namespace Zelkor {

/// Receives the lines of a fixed-width layout, one call per line without its line end. The
/// text file, the printer and the tests are sinks; a line holding the form-feed character
/// alone ends a page.
class LineSink
{
public:
    virtual ~LineSink() = default;
    /// Takes one line.
    virtual void writeLine(const QString &line) = 0;
};

/// A sink that keeps the lines (tests, previews).
class LineListSink : public LineSink
{
public:
    void writeLine(const QString &line) override { m_lines << line; }
    /// The lines received so far.
    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace Zelkor
