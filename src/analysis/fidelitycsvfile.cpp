#include "analysis/fidelitycsvfile.h"

#include "analysis/fidelitytable.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "table/tablemodel.h"

#include <charconv>

namespace Zelkor {

QString FidelityCsvFile::number(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, r.ptr - text);
}

bool FidelityCsvFile::write(const FidelityTable &table, const TableModel &model, const QString &fileName,
                            Feedback *feedback)
{
    m_error.clear();
    TextFileWriter out(fileName);
    out.setEncoding(m_encoding);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    const std::vector<ReleveGroup> &groups = table.groups();
    QStringList labels;
    for (std::size_t j = 0; j < groups.size(); ++j) {
        const int first = TableModel::releveColumn(groups[j].first);
        const QString label = groups[j].count > 0 ? model.grid().cell(first, m_groupNameRow >= 0 ? m_groupNameRow : TableModel::LabelRow).trimmed() : QString();
        labels << Csv::field(label.isEmpty() ? ConstancyTable::groupName(int(j) + 1) : label);
    }

    out.writeLine(QStringLiteral("species,group,N,N_g,n,n_g,constancy,phi,p,diagnostic"));
    const QString N = QString::number(table.releves());
    for (int s = 1; s <= table.speciesCount(); ++s) {
        if (!Feedback::advance(feedback, s)) {
            out.cancel();
            m_error = Feedback::canceledMessage();
            return false;
        }
        const int n = table.frequency(s);
        if (n == 0)
            continue;
        const QString name = Csv::field(model.grid().cell(TableModel::NameColumn, model.speciesRow(s)));
        for (std::size_t j = 0; j < groups.size(); ++j) {
            const int Ng = groups[j].count;
            if (Ng == 0)
                continue;
            const FidelityCell &c = table.cell(s, int(j));
            const QStringList fields = {name,
                                        labels[int(j)],
                                        N,
                                        QString::number(Ng),
                                        QString::number(n),
                                        QString::number(c.occurrences),
                                        number(c.occurrences * 100.0 / Ng),
                                        number(c.phi),
                                        number(c.p),
                                        c.diagnostic ? QStringLiteral("1") : QStringLiteral("0")};
            out.writeLine(fields.join(QLatin1Char(',')));
        }
    }
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
