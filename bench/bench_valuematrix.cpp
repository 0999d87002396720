// Writing the numeric matrices of a large composition table: the value matrix of a 20,000-relevé
// × 5,000-species table (1 % filled) in both orientations (100 million values each) and the
// multivariate package's matrix with its label list. Prints the time of one write and the size.
// Then the package's eight-byte labels of 1,000,000 species rows of 100,000 names (every label
// repeated ten times), numbered to be unique.
#include "analysis/pcordmatrixwriter.h"
#include "analysis/valuematrixwriter.h"
#include "generatedtable.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <vector>
#include <cstdio>

using namespace Zelkor;

int main()
{
    std::vector<QByteArray> labels;
    labels.reserve(1000000);
    for (int k = 0; k < 1000000; ++k)
        labels.push_back(QByteArray("G") + QByteArray::number(k % 100000));
    const auto t0 = std::chrono::steady_clock::now();
    PCordMatrixWriter::makeLabelsUnique(&labels);
    const auto t1 = std::chrono::steady_clock::now();
    std::printf("labels of 1,000,000 species rows: %.0f ms\n", std::chrono::duration<double, std::milli>(t1 - t0).count());
    TableModel model;
    if (!Bench::makeLargeTable(model))
        return 1;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    const MatrixOutputOptions whole = MatrixOutputOptions::wholeTable(model);

    auto report = [&](const char *what, auto write) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!write()) {
            std::fprintf(stderr, "%s failed\n", what);
            return false;
        }
        const auto t1 = std::chrono::steady_clock::now();
        std::printf("%s: %.0f ms, %.1f MiB\n", what, std::chrono::duration<double, std::milli>(t1 - t0).count(),
                    QFileInfo(path).size() / 1048576.0);
        return true;
    };
    for (const auto direction : {MatrixOutputOptions::SpeciesRows, MatrixOutputOptions::ReleveRows}) {
        MatrixOutputOptions o = whole;
        o.direction = direction;
        const bool ok = report(direction == MatrixOutputOptions::SpeciesRows ? "value matrix, rows = species"
                                                                             : "value matrix, rows = relevés",
                               [&] { return ValueMatrixWriter().write(model, o, path); });
        if (!ok)
            return 1;
    }
    if (!report("package matrix and label list", [&] { return PCordMatrixWriter().write(model, whole, path); }))
        return 1;

    return 0;
}
