#pragma once

// A large generated vegetation database for the benchmarks: 100,000 relevés of 30 species each,
// drawn from 3,000 names of which a third are written as synonyms, and a 10,000-line synonym
// dictionary that maps them back. The same generator writes the maximal database: 333,333
// relevés of 30 species fill 999,999 species blocks, all that the six-digit block numbers reach.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <random>

namespace Zelkor::Bench {

constexpr int kReleves = 100000;
constexpr int kSpeciesPerReleve = 30;
constexpr int kNames = 3000;
/// Relevés of the database at the format's limit (three blocks each, 999,999 in all).
constexpr int kMaxReleves = 333333;

inline QByteArray field(const QByteArray &text, int width, bool right)
{
    QByteArray f = text.left(width);
    const QByteArray pad(width - f.size(), ' ');
    return right ? pad + f : f + pad;
}

/// Standard name n, or its synonym.
inline QByteArray speciesName(int n, bool synonym)
{
    return (synonym ? "Synonymus " : "Speciesname ") + QByteArray::number(n).rightJustified(5, '0');
}

/// Writes the relevé file (256-byte records after an unused record 0) and the species file
/// (a header record, then 512-byte blocks of 12 entries, chained) with the given number of
/// relevés.
inline bool writeDatabase(const QString &zki, const QString &zkd, int releves = kReleves)
{
    QFile fi(zki), fd(zkd);
    if (!fi.open(QIODevice::WriteOnly) || !fd.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, kNames - 1);
    const char *codes[] = {"+ ", "1 ", "2 ", "r ", "23", "3 "};
    fi.write(QByteArray(256, ' '));
    fd.write(QByteArray(512, '\0'));
    qint64 block = 1;
    for (int i = 1; i <= releves; ++i) {
        QByteArray rec(256, ' ');
        rec.replace(16, 8, field("R" + QByteArray::number(i), 8, false));
        rec.replace(24, 8, field("Site", 8, false));
        rec.replace(56, 8, field(QByteArray::number(5300 + i % 100), 8, false));
        rec.replace(152, 4, field(QByteArray::number(kSpeciesPerReleve), 4, true));
        rec[156] = '5';
        rec[157] = '2';
        rec.replace(248, 6, field(QByteArray::number(block), 6, true));
        fi.write(rec);
        const int blocks = (kSpeciesPerReleve + 11) / 12;
        for (int b = 0; b < blocks; ++b) {
            QByteArray blk(512, ' ');
            for (int k = 0; k < 12 && b * 12 + k < kSpeciesPerReleve; ++k) {
                const int n = pick(rng);
                QByteArray entry = field(speciesName(n, n % 3 == 0), 28, false);
                QByteArray code(14, ' ');
                code.replace(8, 2, codes[(n + i) % 6]);
                blk.replace(42 * k, 42, entry + code);
            }
            const qint64 next = b + 1 < blocks ? block + 1 : 0;
            blk.replace(504, 6, field(QByteArray::number(next), 6, true));
            fd.write(blk);
            ++block;
        }
    }
    return fi.flush() && fd.flush();
}

/// Writes the 10,000-line dictionary: the database's synonyms, then names it never uses.
inline bool writeDictionary(const QString &dic)
{
    QByteArray text;
    for (int n = 0; n < 10000; ++n)
        text += (n < kNames ? speciesName(n, true) : "Nomen " + QByteArray::number(n)) + "," + speciesName(n, false) + "\r\n";
    QFile f(dic);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

} // namespace Zelkor::Bench
