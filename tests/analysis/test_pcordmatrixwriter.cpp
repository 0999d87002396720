#include "analysis/pcordmatrixwriter.h"
#include "analysis/matrixtable.h"
#include "platform/cp932.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <random>
#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// A table of species rows with the given names (no relevés needed for the labels).
TableModel namedRows(const QStringList &names)
{
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    if (model.maxSpecies() < names.size())
        model.addRow(int(names.size()));
    model.setSpeciesCount(int(names.size()));
    for (int j = 1; j <= names.size(); ++j)
        model.grid().setCell(2, model.headerRows() + j, names.at(j - 1));
    return model;
}

QStringList decoded(const std::vector<QByteArray> &labels, int from)
{
    QStringList out;
    for (std::size_t j = std::size_t(from); j < labels.size(); ++j)
        out << Cp932::decodeLossy(labels[j]);
    return out;
}

} // namespace

TEST(PCordMatrix, NumField2)
{
    struct Case { int n; const char *text; };
    const Case cases[] = {{2, " 2"}, {12, "12"}, {123, "12"}, {0, " 0"}};
    for (const Case &c : cases)
        EXPECT_EQ(PCordMatrixWriter::numField2(c.n), QString::fromLatin1(c.text)) << c.n;
}

TEST(PCordMatrix, ShortLabelsAreTheFirstEightBytesMadeUnique)
{
    struct Case { const char *name; QStringList names; QStringList labels; };
    const Case cases[] = {
        {"three alike", {"Carex sp", "Carex sp", "Carex sp"}, {"Carex sp", "Carex  2", "Carex  3"}},
        {"cut, not trimmed", {"Quercus serrata", "Quercus crispula", " Poa"}, {"Quercus ", "Quercu 2", " Poa"}},
        {"two-byte characters", {"ススキノキ", "aススキノ", "ススキノカ"}, {"ススキノ", "aススキ", "ススキ 2"}},
        // Numbering would give "Carex  2" twice: the later one takes the next free number.
        {"a number that is there already", {"Carex sp", "Carex sp", "Carex  2"}, {"Carex sp", "Carex  2", "Carex  3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TableModel model = namedRows(c.names);
        EXPECT_EQ(decoded(PCordMatrixWriter::shortLabels(model, 1, int(c.names.size())), 1), c.labels);
    }

    // More than 99 alike: the two-character number cannot tell the 100th from the 10th.
    const TableModel many = namedRows(QStringList(120, QStringLiteral("Carex sp")));
    const std::vector<QByteArray> labels = PCordMatrixWriter::shortLabels(many, 1, 120);
    const QSet<QByteArray> distinct(labels.begin() + 1, labels.end());
    EXPECT_EQ(distinct.size(), 120);
    EXPECT_EQ(labels[99], QByteArray("Carex 99"));
    for (const QByteArray &label : labels)
        EXPECT_LE(label.size(), 8);
}

TEST(PCordMatrix, MatrixAndListFile)
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    Zelkor::Test::fillMatrixTable(model);
    MatrixOutputOptions o = MatrixOutputOptions::wholeTable(model);
    o.method = 1;
    // The orientation of the value matrix is not the package's.
    o.direction = MatrixOutputOptions::SpeciesRows;
    const QString path = dir.path(QStringLiteral("t-pcm.csv"));
    PCordMatrixWriter writer;
    ASSERT_TRUE(writer.write(model, o, path)) << writer.errorString().toStdString();
    EXPECT_EQ(Zelkor::Test::readLines(path),
              (QStringList{"3,Releve,,", "3,Species,,", ",Q,Q,Q", ",  Poa an,\"Carex \"\"x\",Festuca",
                           "12,5,0,2", " 15 ,1,0,0", "\"a,b\",0,8,0"}));
    EXPECT_EQ(Zelkor::Test::readLines(dir.path(QStringLiteral("t-pcm.lst"))),
              (QStringList{"  Poa an   Poa annua  ", "Carex \"x Carex \"x\"", "Festuca Festuca"}));

    // Nothing listed: counts of 0; the list names the matrix's species.
    o.firstReleve = 3;
    o.lastReleve = 3;
    ASSERT_TRUE(writer.write(model, o, path));
    EXPECT_EQ(Zelkor::Test::readLines(path), (QStringList{"0,Releve,,", "3,Species,,", ",Q,Q,Q",
                                                          ",  Poa an,\"Carex \"\"x\",Festuca"}));
    o.firstSpecies = 2;
    o.lastSpecies = 2;
    ASSERT_TRUE(writer.write(model, o, path));
    EXPECT_EQ(Zelkor::Test::readLines(path), (QStringList{"0,Releve", "0,Species", "", ""}));
}

TEST(PCordMatrix, TheListFileHoldsTheMatrixSpecies)
{
    Zelkor::Test::TempDir dir;
    QStringList names;
    for (int j = 1; j <= 10; ++j)
        names << QStringLiteral("S%1").arg(j);
    TableModel model = namedRows(names);
    model.setReleveCount(1);
    for (int j = 1; j <= 10; ++j)
        model.grid().setCell(4, model.headerRows() + j, QStringLiteral("   +"));
    model.recomputeFrequencies();
    MatrixOutputOptions o = MatrixOutputOptions::wholeTable(model);
    o.firstSpecies = 3;
    o.lastSpecies = 5;
    PCordMatrixWriter writer;
    ASSERT_TRUE(writer.write(model, o, dir.path(QStringLiteral("x.csv"))));
    const QStringList list = Zelkor::Test::readLines(dir.path(QStringLiteral("x.lst")));
    EXPECT_EQ(list, (QStringList{"S3 S3", "S4 S4", "S5 S5"}));
}

TEST(PCordMatrix, ListFileNames)
{
    EXPECT_EQ(PCordMatrixWriter::listFileName(QStringLiteral("/d/t-pcm.csv")), QStringLiteral("/d/t-pcm.lst"));
    EXPECT_EQ(PCordMatrixWriter::listFileName(QStringLiteral("/d.x/matrix")), QStringLiteral("/d.x/matrix.lst"));

    // A matrix named ".lst" would be overwritten by its own list: refused before writing.
    Zelkor::Test::TempDir dir;
    TableModel model;
    Zelkor::Test::fillMatrixTable(model);
    const QString path = dir.path(QStringLiteral("m.lst"));
    PCordMatrixWriter writer;
    EXPECT_FALSE(writer.write(model, MatrixOutputOptions::wholeTable(model), path));
    EXPECT_FALSE(writer.errorString().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

namespace {

// The numbering as a pass over the rest of the list for every label (ASCII labels: a cut is a
// left part), then the next free number for a label left twice.
std::vector<QByteArray> uniqueByPasses(std::vector<QByteArray> labels)
{
    const int last = int(labels.size()) - 1;
    for (int i = 0; i <= last; ++i) {
        int n = 1;
        for (int p = i + 1; p <= last; ++p) {
            if (labels[std::size_t(p)] != labels[std::size_t(i)])
                continue;
            ++n;
            labels[std::size_t(p)] = labels[std::size_t(p)].left(6) + PCordMatrixWriter::numField2(n).toLatin1();
        }
    }
    QSet<QByteArray> seen;
    QHash<QByteArray, int> next;
    for (QByteArray &label : labels) {
        if (seen.contains(label)) {
            int &k = next[label];
            k = std::max(k, 2);
            QByteArray candidate;
            do {
                const QByteArray suffix = QByteArray::number(k++).rightJustified(2, ' ');
                candidate = label.left(8 - suffix.size()) + suffix;
            } while (seen.contains(candidate));
            label = candidate;
        }
        seen.insert(label);
    }
    return labels;
}

} // namespace

TEST(PCordMatrix, NumberingAsAPassOverTheRestGives)
{
    // Few stems, so that labels repeat many times (past 99 too), with labels that a numbering
    // makes ("Carex  2") standing in the list already.
    const QByteArray stems[] = {"Carex ni", "Carex  2", "Carex  3", "Poa", "Carex 10", "Carex", "Carex 1"};
    std::mt19937 rng(7);
    for (int size : {1, 2, 10, 300, 2000}) {
        std::uniform_int_distribution<int> pick(0, int(std::size(stems)) - 1);
        std::vector<QByteArray> labels;
        for (int k = 0; k < size; ++k)
            labels.push_back(stems[pick(rng)]);
        const std::vector<QByteArray> expected = uniqueByPasses(labels);
        PCordMatrixWriter::makeLabelsUnique(&labels);
        EXPECT_EQ(labels, expected) << size;
    }
}
