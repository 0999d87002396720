#pragma once

// The ordination fixtures of tests/data/ordination (made with vegan, see the README there): the
// value tables and vegan's eigenvalues and scores.

#include "analysis/ordinationmatrix.h"
#include "platform/csv.h"
#include "support/testsupport.h"

#include <QString>
#include <QStringList>

#include <cmath>
#include <map>
#include <vector>

namespace Zelkor::Test {

/// A value table: relevé labels (rows of the file), species names and the filled cells.
struct OrdinationTable
{
    QStringList releves;
    QStringList species;
    std::vector<OrdinationMatrix::Cell> cells;
    OrdinationMatrix matrix() const { return OrdinationMatrix::fromCells(int(releves.size()), int(species.size()), cells); }
};

/// vegan's results: rows by kind ("eigenvalue", "iteration", "length": one row; "releve" and
/// "species": by label).
struct OrdinationReference
{
    std::map<QString, std::vector<double>> single;
    std::map<QString, std::vector<double>> releves;
    std::map<QString, std::vector<double>> species;
};

inline std::vector<Csv::Record> fixtureRecords(const QString &name)
{
    std::vector<Csv::Record> records;
    Csv::parse(QString::fromUtf8(readBytes(fixturePath(QStringLiteral("ordination/") + name))), &records);
    while (!records.empty() && records.back().fields.isEmpty())
        records.pop_back();
    return records;
}

inline OrdinationTable ordinationTable(const QString &name)
{
    OrdinationTable t;
    const std::vector<Csv::Record> records = fixtureRecords(name + QStringLiteral("-values.csv"));
    if (records.empty())
        return t;
    t.species = records[0].fields.mid(1);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const QStringList &f = records[r].fields;
        t.releves << f.value(0);
        for (int j = 1; j < f.size(); ++j) {
            const int v = f[j].toInt();
            if (v > 0)
                t.cells.push_back({int(r), j, v});
        }
    }
    return t;
}

inline OrdinationReference ordinationReference(const QString &file)
{
    OrdinationReference ref;
    const std::vector<Csv::Record> records = fixtureRecords(file);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const QStringList &f = records[r].fields;
        std::vector<double> values;
        for (int k = 2; k < f.size(); ++k)
            values.push_back(f[k].toDouble());
        if (f.value(0) == QLatin1String("releve"))
            ref.releves[f.value(1)] = values;
        else if (f.value(0) == QLatin1String("species"))
            ref.species[f.value(1)] = values;
        else
            ref.single[f.value(0)] = values;
    }
    return ref;
}

/// Pearson's correlation of two equally long series.
inline double correlation(const std::vector<double> &x, const std::vector<double> &y)
{
    const std::size_t n = x.size();
    double mx = 0.0, my = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= double(n);
    my /= double(n);
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

} // namespace Zelkor::Test
