#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace Zelkor {

/// A settings file in the Windows profile format, as the profile functions see it: sections in
/// square brackets, "key=value" lines, section and key names compared without regard to case,
/// a missing file or key reads as the default. The file is CP932 with CR LF line ends.
class IniFile
{
public:
    /// Loads fileName. A missing file gives an empty profile and returns true; false only when an
    /// existing file cannot be read or decoded (errorString()); the profile is then empty.
    bool load(const QString &fileName);

    /// The value of key in section, or def when there is none.
    QString readString(const QString &section, const QString &key, const QString &def) const;
    /// The value as a decimal integer (blanks around it allowed), or def when the key is missing
    /// or its value is not a number.
    int readInteger(const QString &section, const QString &key, int def) const;
    /// True for any non-zero integer, false for zero, def when missing or not a number.
    bool readBool(const QString &section, const QString &key, bool def) const;

    /// Creates or replaces key in section (the section is created at the end when missing);
    /// every other line stays as it was. Line breaks in the value become blanks, and a value
    /// that would not read back as written (blanks at its ends, quotes around it) is quoted.
    void writeString(const QString &section, const QString &key, const QString &value);
    /// Writes the integer in decimal.
    void writeInteger(const QString &section, const QString &key, int value);
    /// Writes "1" or "0".
    void writeBool(const QString &section, const QString &key, bool value);

    /// Writes the profile to fileName safely (temporary file, then rename). False with
    /// errorString() when it cannot be written; the old file then stays.
    bool save(const QString &fileName);

    /// The reason of the last failed load() or save().
    QString errorString() const { return m_error; }

private:
    struct Entry { QString key; QString value; bool isKey; QString raw; };
    struct Section { QString name; std::vector<Entry> entries; bool hasHeader = true; QString raw; };
    const Entry *find(const QString &section, const QString &key) const;
    Section *findSection(const QString &section);
    // m_sections[0], when present and without header: the lines before the first header
    std::vector<Section> m_sections;
    QString m_error;
};

} // namespace Zelkor
