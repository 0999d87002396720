#include "output/tabletextfile.h"

#include "output/tablelayout.h"
#include "platform/feedback.h"
#include "platform/textfile.h"

namespace Zelkor {

namespace {

class TextFileSink : public LineSink
{
public:
    explicit TextFileSink(TextFileWriter *writer) : m_writer(writer) {}
    void writeLine(const QString &line) override { m_writer->writeLine(line); }

private:
    TextFileWriter *m_writer;
};

} // namespace

bool TableTextFile::write(const TableLayout &layout, int firstSpecies, int lastSpecies, const QString &fileName,
                          Feedback *feedback)
{
    m_error.clear();
    TextFileWriter writer(fileName);
    if (!writer.open()) {
        m_error = writer.errorString();
        return false;
    }
    TextFileSink sink(&writer);
    layout.printTable(sink, TableLayout::TextFileAllowance, firstSpecies, lastSpecies, feedback);
    if (Feedback::canceled(feedback)) {
        writer.cancel();
        m_error = Feedback::canceledMessage();
        return false;
    }
    if (!writer.commit()) {
        m_error = writer.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
