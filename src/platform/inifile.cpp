#include "platform/inifile.h"

#include "platform/textfile.h"

#include <QFileInfo>

#include <iterator>
#include <limits>

namespace Zelkor {

namespace {

// A settings file is a few kilobytes; anything near this size is not one.
constexpr qint64 kMaxIniBytes = qint64(16) * 1024 * 1024;

// The blanks the profile functions trim: ASCII white space only, so that ideographic spaces
// framing a Japanese value are kept.
bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\v' || u == '\f';
}

QString trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin).toString();
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// A value in matching quotes loses them, as the profile functions do.
QString unquote(const QString &value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// The value as it must stand in the file to read back unchanged.
QString fileForm(QString value)
{
    // A line break would end the line and could start a new key or section.
    for (QChar &c : value)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    const bool needsQuotes = !value.isEmpty()
        && (isBlank(value.front()) || isBlank(value.back())
            || (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    if (needsQuotes)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A decimal integer with an optional sign and blanks around it; false for anything else,
// including a number outside the int range.
bool parseInteger(const QString &text, int *value)
{
    const QString s = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    if (i == s.size())
        return false;
    qint64 magnitude = 0;
    for (; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < '0' || u > '9')
            return false;
        magnitude = magnitude * 10 + (u - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    *value = int(v);
    return true;
}

} // namespace

bool IniFile::load(const QString &fileName)
{
    m_sections.clear();
    m_error.clear();
    if (!QFileInfo::exists(fileName))
        return true;

    TextFileReader reader;
    reader.setMaxBytes(kMaxIniBytes);
    if (!reader.read(fileName)) {
        m_error = reader.errorString();
        return false;
    }

    m_sections.push_back(Section{QString(), {}, false, QString()});
    for (const QString &line : reader.lines()) {
        const QString trimmed = trimBlanks(line);
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                m_sections.push_back(Section{trimBlanks(QStringView(trimmed).mid(1, close - 1)), {}, true, line});
                continue;
            }
        }
        Entry entry{QString(), QString(), false, line};
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!trimmed.startsWith(QLatin1Char(';')) && eq >= 0) {
            entry.key = trimBlanks(QStringView(line).left(eq));
            if (!entry.key.isEmpty()) {
                entry.isKey = true;
                entry.value = unquote(trimBlanks(QStringView(line).mid(eq + 1)));
            }
        }
        m_sections.back().entries.push_back(std::move(entry));
    }
    return true;
}

const IniFile::Entry *IniFile::find(const QString &section, const QString &key) const
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    for (const Section &s : m_sections) {
        if (!s.hasHeader || !sameName(s.name, sectionName))
            continue;
        for (const Entry &e : s.entries)
            if (e.isKey && sameName(e.key, keyName))
                return &e;
        return nullptr; // only the first section of a name counts
    }
    return nullptr;
}

IniFile::Section *IniFile::findSection(const QString &section)
{
    const QString sectionName = trimBlanks(section);
    for (Section &s : m_sections)
        if (s.hasHeader && sameName(s.name, sectionName))
            return &s;
    return nullptr;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const Entry *e = find(section, key);
    return e ? e->value : def;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    const Entry *e = find(section, key);
    int value = 0;
    if (!e || !parseInteger(e->value, &value))
        return def;
    return value;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    const Entry *e = find(section, key);
    int value = 0;
    if (!e || !parseInteger(e->value, &value))
        return def;
    return value != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString keyName = trimBlanks(key);
    const QString stored = fileForm(value);
    Section *s = findSection(section);
    if (!s) {
        const QString name = trimBlanks(section);
        m_sections.push_back(Section{name, {}, true, QLatin1Char('[') + name + QLatin1Char(']')});
        s = &m_sections.back();
    }
    // The value as a later read will see it.
    const QString readBack = unquote(trimBlanks(stored));
    for (Entry &e : s->entries) {
        if (e.isKey && sameName(e.key, keyName)) {
            e.value = readBack;
            e.raw = e.key + QLatin1Char('=') + stored;
            return;
        }
    }
    // A new key goes after the last non-blank line of the section, so that blank lines
    // separating it from the next section stay where they are.
    auto pos = s->entries.end();
    while (pos != s->entries.begin() && trimBlanks(std::prev(pos)->raw).isEmpty())
        --pos;
    s->entries.insert(pos, Entry{keyName, readBack, true, keyName + QLatin1Char('=') + stored});
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::save(const QString &fileName)
{
    m_error.clear();
    QStringList lines;
    for (const Section &s : m_sections) {
        if (s.hasHeader)
            lines.append(s.raw);
        for (const Entry &e : s.entries)
            lines.append(e.raw);
    }
    return writeTextFile(fileName, lines, &m_error);
}

} // namespace Zelkor
