#include "platform/xlsxworkbook.h"

#include "platform/safesavefile.h"
#include "platform/zippackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cmath>

namespace Zelkor {

namespace {

// A text that reads as a number and gives the same text back (leading zeros, a trailing zero
// after the point or an exponent would be lost otherwise).
bool readsAsNumber(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 17 || t == QLatin1String("-0"))
        return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    if (QString::number(d, 'g', 15) != t)
        return false;
    *value = d;
    return true;
}

} // namespace

XlsxWorkbook::XlsxWorkbook() = default;

XlsxWorkbook::~XlsxWorkbook()
{
    close();
}

void XlsxWorkbook::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
}

bool XlsxWorkbook::add()
{
    close();
    m_error.clear();
    m_cell = Cell{};
    m_lastRow = 0;
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        fail(QStringLiteral("作業用のフォルダを作れません: %1").arg(m_dir->errorString()));
        return false;
    }
    m_path = m_dir->filePath(QStringLiteral("workbook.xlsx"));
    // The sheet's rows go to temporary files in the same folder, and leave with it.
    m_dirName = QFile::encodeName(QDir::toNativeSeparators(m_dir->path()));
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_dirName.data();
    // Large tables make sheets beyond 4 GB before compression.
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(m_path).constData(), &options);
    m_sheet = m_workbook ? workbook_add_worksheet(m_workbook, nullptr) : nullptr;
    if (!m_sheet) {
        fail(QStringLiteral("ワークブックを作れません（メモリーが足りません）。"));
        close();
        return false;
    }
    for (int i = 1; i < 8; ++i) {
        m_formats[i] = workbook_add_format(m_workbook);
        if (i & 1)
            format_set_align(m_formats[i], LXW_ALIGN_VERTICAL_TOP);
        if (i & 2)
            format_set_align(m_formats[i], LXW_ALIGN_CENTER);
        if (i & 4)
            format_set_text_wrap(m_formats[i]);
    }
    return true;
}

bool XlsxWorkbook::address(int row, int column)
{
    if (!m_sheet || failed())
        return false;
    if (row == m_cell.row && column == m_cell.column)
        return true;
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns) {
        fail(QStringLiteral("シートの大きさ（%1 行 × %2 列）を超える升目 (%3, %4) には書き込めません。")
                 .arg(MaxRows)
                 .arg(MaxColumns)
                 .arg(row)
                 .arg(column));
        return false;
    }
    if (row < m_lastRow) {
        fail(QStringLiteral("書き終えた行 %1 には書き込めません。").arg(row));
        return false;
    }
    storeCell();
    m_cell = Cell{};
    m_cell.row = row;
    m_cell.column = column;
    m_lastRow = row;
    return !failed();
}

const QByteArray &XlsxWorkbook::utf8(const QString &text)
{
    // The cover texts of a species row repeat from relevé to relevé as one shared string.
    if (text.constData() != m_lastText.constData() || text.size() != m_lastText.size()) {
        m_lastText = text;
        m_lastUtf8 = text.toUtf8();
    }
    return m_lastUtf8;
}

void XlsxWorkbook::setValue(int row, int column, const QString &value)
{
    if (!address(row, column))
        return;
    if (value.startsWith(QLatin1Char('\''))) {
        m_cell.kind = Cell::Text;
        m_cell.text = utf8(value);
        m_cell.textOffset = 1;
    } else if (readsAsNumber(value, &m_cell.number)) {
        m_cell.kind = Cell::Number;
    } else {
        m_cell.kind = Cell::Text;
        m_cell.text = value.toUtf8();
    }
}

void XlsxWorkbook::setValue(int row, int column, int value)
{
    if (!address(row, column))
        return;
    m_cell.kind = Cell::Number;
    m_cell.number = value;
}

void XlsxWorkbook::setVerticalAlignmentTop(int row, int column)
{
    if (address(row, column))
        m_cell.top = true;
}

void XlsxWorkbook::setHorizontalAlignmentCenter(int row, int column)
{
    if (address(row, column))
        m_cell.center = true;
}

void XlsxWorkbook::storeCell()
{
    if (m_cell.row < 1 || !m_sheet)
        return;
    // A text of several lines wraps, as a spreadsheet sets a cell when a line break is typed
    // into it; otherwise its lines are drawn over the cells below.
    const bool lines = m_cell.kind == Cell::Text && m_cell.text.indexOf('\n', m_cell.textOffset) >= 0;
    lxw_format *format = m_formats[(m_cell.top ? 1 : 0) | (m_cell.center ? 2 : 0) | (lines ? 4 : 0)];
    const lxw_row_t r = lxw_row_t(m_cell.row - 1);
    const lxw_col_t c = lxw_col_t(m_cell.column - 1);
    lxw_error error = LXW_NO_ERROR;
    if (m_cell.kind == Cell::Number)
        error = worksheet_write_number(m_sheet, r, c, m_cell.number, format);
    else if (m_cell.kind == Cell::Text && m_cell.text.size() > m_cell.textOffset)
        error = worksheet_write_string(m_sheet, r, c, m_cell.text.constData() + m_cell.textOffset, format);
    else if (format)
        // An empty text keeps the cell empty, with its alignment.
        error = worksheet_write_blank(m_sheet, r, c, format);
    if (error != LXW_NO_ERROR)
        fail(QStringLiteral("升目 (%1, %2) を書き込めません: %3")
                 .arg(m_cell.row)
                 .arg(m_cell.column)
                 .arg(QString::fromUtf8(lxw_strerror(error))));
}

bool XlsxWorkbook::saveAs(const QString &fileName)
{
    if (!m_workbook) {
        fail(QStringLiteral("ワークブックがありません。"));
        return false;
    }
    storeCell();
    m_cell = Cell{};
    if (failed()) {
        close();
        return false;
    }
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (error != LXW_NO_ERROR) {
        fail(QStringLiteral("ワークブックを書き出せません: %1").arg(QString::fromUtf8(lxw_strerror(error))));
        close();
        return false;
    }

    // The library does not notice when a temporary file of its own is cut short (a file-size
    // limit, a full temporary folder) and packs what there is: the package is read through
    // before it may replace anything.
    QString damage;
    if (!checkZipPackage(m_path, &damage)) {
        fail(QStringLiteral("ワークブックを正しく作れませんでした（%1）。ディスクや一時フォルダの空き容量を確かめて下さい。")
                 .arg(damage));
        close();
        return false;
    }

    // The finished workbook replaces the file only once it has been copied whole.
    QFile built(m_path);
    SafeSaveFile target(fileName);
    if (!built.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("作ったワークブックを読めません: %1").arg(built.errorString()));
    } else if (!target.open()) {
        fail(target.errorString());
    } else {
        while (!built.atEnd() && !failed()) {
            const QByteArray chunk = built.read(1 << 20);
            if (chunk.isEmpty() && built.error() != QFileDevice::NoError)
                fail(QStringLiteral("作ったワークブックを読めません: %1").arg(built.errorString()));
            else if (!target.write(chunk))
                fail(target.errorString());
        }
        if (failed())
            target.cancel();
        else if (!target.commit())
            fail(target.errorString());
    }
    close();
    return !failed();
}

void XlsxWorkbook::close()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    for (lxw_format *&f : m_formats)
        f = nullptr;
    m_dir.reset();
}

} // namespace Zelkor
