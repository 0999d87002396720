#include "database/fortranformat.h"

namespace Zelkor {

namespace {

constexpr int kMaxDepth = 16;
constexpr int kMaxRepeat = 100000;

class Parser
{
public:
    Parser(const QString &text, std::vector<FortranField> *out) : m_text(text), m_out(out) {}

    bool list(int depth)
    {
        // At "(".
        if (depth > kMaxDepth)
            return fail(QStringLiteral("括弧が深すぎます"));
        ++m_pos;
        bool first = true;
        for (;;) {
            if (m_pos >= m_text.size())
                return fail(QStringLiteral("閉じ括弧がありません"));
            const QChar c = m_text[m_pos];
            if (c == QLatin1Char(')')) {
                ++m_pos;
                return true;
            }
            if (c == QLatin1Char(',')) {
                if (first)
                    return fail(QStringLiteral("「,」の前に項目がありません"));
                ++m_pos;
                continue;
            }
            first = false;
            if (!item(depth))
                return false;
        }
    }

    QString error() const { return m_error; }
    qsizetype position() const { return m_pos; }

private:
    bool fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    // A whole number at the position, or -1 when there is none (or it is too large).
    int number()
    {
        if (m_pos >= m_text.size() || !m_text[m_pos].isDigit() || m_text[m_pos].unicode() > 127)
            return -1;
        qint64 v = 0;
        while (m_pos < m_text.size() && m_text[m_pos].unicode() >= u'0' && m_text[m_pos].unicode() <= u'9') {
            v = v * 10 + (m_text[m_pos].unicode() - u'0');
            if (v > kMaxRepeat)
                v = kMaxRepeat + 1;
            ++m_pos;
        }
        return int(v);
    }

    bool add(const FortranField &f, int repeat)
    {
        if (qint64(m_out->size()) + repeat > FortranFormat::MaxFields)
            return fail(QStringLiteral("書式の欄が多すぎます（%1 まで）").arg(FortranFormat::MaxFields));
        m_out->insert(m_out->end(), std::size_t(repeat), f);
        return true;
    }

    bool width(int *w)
    {
        *w = number();
        if (*w < 1 || *w > FortranFormat::MaxWidth)
            return fail(QStringLiteral("欄の幅は 1～%1 で書いて下さい").arg(FortranFormat::MaxWidth));
        return true;
    }

    bool item(int depth)
    {
        int repeat = 1;
        if (m_text[m_pos].unicode() >= u'0' && m_text[m_pos].unicode() <= u'9') {
            repeat = number();
            if (repeat < 1 || repeat > kMaxRepeat)
                return fail(QStringLiteral("繰返しの数は 1～%1 で書いて下さい").arg(kMaxRepeat));
            if (m_pos >= m_text.size())
                return fail(QStringLiteral("繰返しの数の後に項目がありません"));
        }
        const QChar c = m_text[m_pos].toUpper();
        if (c == QLatin1Char('(')) {
            std::vector<FortranField> group;
            Parser inner(m_text, &group);
            inner.m_pos = m_pos;
            if (!inner.list(depth + 1))
                return fail(inner.error());
            m_pos = inner.m_pos;
            if (qint64(m_out->size()) + qint64(group.size()) * repeat > FortranFormat::MaxFields)
                return fail(QStringLiteral("書式の欄が多すぎます（%1 まで）").arg(FortranFormat::MaxFields));
            for (int k = 0; k < repeat; ++k)
                m_out->insert(m_out->end(), group.begin(), group.end());
            return true;
        }
        ++m_pos;
        FortranField f;
        switch (c.unicode()) {
        case u'X':
            f.kind = FortranField::Skip;
            f.width = 1;
            return add(f, repeat);
        case u'I':
            f.kind = FortranField::Integer;
            if (!width(&f.width))
                return false;
            // Iw.m: the minimum digits only matter for writing.
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('.')) {
                ++m_pos;
                if (number() < 0)
                    return fail(QStringLiteral("I の「.」の後に数がありません"));
            }
            return add(f, repeat);
        case u'F':
        case u'E':
            f.kind = FortranField::Real;
            if (!width(&f.width))
                return false;
            if (m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char('.'))
                return fail(QStringLiteral("%1%2 に小数点以下の桁数（.d）がありません").arg(c).arg(f.width));
            ++m_pos;
            f.decimals = number();
            if (f.decimals < 0 || f.decimals > f.width)
                return fail(QStringLiteral("%1%2 の小数点以下の桁数が読めません").arg(c).arg(f.width));
            return add(f, repeat);
        case u'A':
            f.kind = FortranField::Text;
            if (!width(&f.width))
                return fail(QStringLiteral("A には幅を付けて下さい（A8 など）"));
            return add(f, repeat);
        default:
            return fail(QStringLiteral("「%1」は読めない編集記述子です（I、F、E、A、X と括弧が使えます）").arg(c));
        }
    }

    const QString &m_text;
    std::vector<FortranField> *m_out;
    qsizetype m_pos = 0;
    QString m_error;
};

} // namespace

bool FortranFormat::parse(QStringView text, QString *error, qsizetype *end)
{
    m_fields.clear();
    // Blanks are insignificant: the format is read without them, and its end mapped back.
    QString compact;
    std::vector<qsizetype> origin;
    const qsizetype open = text.indexOf(QLatin1Char('('));
    if (open < 0) {
        *error = QStringLiteral("書式が「(」で始まっていません");
        return false;
    }
    for (qsizetype i = open; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))
            continue;
        compact += text[i];
        origin.push_back(i);
    }
    Parser parser(compact, &m_fields);
    if (!parser.list(0)) {
        m_fields.clear();
        *error = QStringLiteral("書式「%1」: %2").arg(text.mid(open, 60).toString(), parser.error());
        return false;
    }
    if (end)
        *end = origin[std::size_t(parser.position() - 1)] + 1;
    return true;
}

int FortranFormat::numberFields() const
{
    int n = 0;
    for (const FortranField &f : m_fields)
        n += f.kind == FortranField::Integer || f.kind == FortranField::Real ? 1 : 0;
    return n;
}

bool fortranNumberText(QStringView field, const FortranField &descriptor, QString *number, QString *why)
{
    number->clear();
    qsizetype a = 0;
    qsizetype b = field.size();
    while (a < b && field[a] == QLatin1Char(' '))
        ++a;
    while (b > a && field[b - 1] == QLatin1Char(' '))
        --b;
    if (a == b)
        return true; // a blank field is zero
    QString digits;
    bool point = false;
    for (qsizetype i = a; i < b; ++i) {
        const QChar c = field[i];
        if (c == QLatin1Char(' ')) {
            *why = QStringLiteral("欄「%1」の数字が空白で分かれています（書式と桁がずれていませんか）").arg(field.toString());
            return false;
        }
        if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && i == a) {
            if (c == QLatin1Char('-'))
                digits += c;
            continue;
        }
        if (c == QLatin1Char('.') && descriptor.kind == FortranField::Real && !point) {
            point = true;
            digits += c;
            continue;
        }
        if (c.unicode() < u'0' || c.unicode() > u'9') {
            *why = QStringLiteral("欄「%1」は数ではありません").arg(field.toString());
            return false;
        }
        digits += c;
    }
    if (digits.isEmpty() || digits == QLatin1String("-") || digits == QLatin1String(".")
        || digits == QLatin1String("-.")) {
        *why = QStringLiteral("欄「%1」は数ではありません").arg(field.toString());
        return false;
    }
    if (descriptor.kind == FortranField::Real && !point && descriptor.decimals > 0) {
        // The last d digits are decimals: "123" in F5.1 is 12.3.
        const bool negative = digits.startsWith(QLatin1Char('-'));
        QString body = negative ? digits.mid(1) : digits;
        if (body.size() <= descriptor.decimals)
            body = QString(descriptor.decimals - body.size() + 1, QLatin1Char('0')) + body;
        body.insert(body.size() - descriptor.decimals, QLatin1Char('.'));
        digits = negative ? QLatin1Char('-') + body : body;
    }
    *number = digits;
    return true;
}

} // namespace Zelkor
