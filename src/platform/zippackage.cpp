#include "platform/zippackage.h"

#include <QByteArray>
#include <QFile>

#include <zlib.h>

#include <cstring>
#include <vector>

namespace Zelkor {

namespace {

quint64 little(const char *p, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

struct Member
{
    QByteArray name;
    int method = 0;
    quint32 crc = 0;
    quint64 packedSize = 0;
    quint64 size = 0;
    quint64 headerOffset = 0;
};

class PackageReader
{
public:
    explicit PackageReader(const QString &fileName) : m_file(fileName) {}

    bool check(QString *error);

private:
    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }
    bool readAt(quint64 offset, qint64 size, QByteArray *bytes);
    bool readDirectory(std::vector<Member> *members);
    bool checkMember(const Member &member);

    QFile m_file;
    quint64 m_size = 0;
    QString m_error;
};

bool PackageReader::readAt(quint64 offset, qint64 size, QByteArray *bytes)
{
    if (size < 0 || offset > m_size || quint64(size) > m_size - offset || !m_file.seek(qint64(offset)))
        return false;
    *bytes = m_file.read(size);
    return bytes->size() == size;
}

bool PackageReader::readDirectory(std::vector<Member> *members)
{
    // The end record lies in the last 64 KiB and 22 bytes (its comment is at most 65,535 bytes).
    const quint64 tailSize = qMin<quint64>(m_size, 65535 + 22);
    QByteArray tail;
    if (!readAt(m_size - tailSize, qint64(tailSize), &tail))
        return fail(QStringLiteral("終わりを読めません"));
    qsizetype end = -1;
    for (qsizetype i = tail.size() - 22; i >= 0; --i) {
        if (std::memcmp(tail.constData() + i, "PK\x05\x06", 4) == 0) {
            end = i;
            break;
        }
    }
    if (end < 0)
        return fail(QStringLiteral("目録の終わりがありません"));
    const char *e = tail.constData() + end;
    quint64 count = little(e + 10, 2);
    quint64 directorySize = little(e + 12, 4);
    quint64 directoryOffset = little(e + 16, 4);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        // ZIP64: a locator just before the end record names the ZIP64 end record.
        const quint64 endOffset = m_size - tailSize + quint64(end);
        QByteArray locator;
        if (endOffset < 20 || !readAt(endOffset - 20, 20, &locator) || !locator.startsWith("PK\x06\x07"))
            return fail(QStringLiteral("ZIP64 の目録の位置がありません"));
        QByteArray end64;
        if (!readAt(little(locator.constData() + 8, 8), 56, &end64) || !end64.startsWith("PK\x06\x06"))
            return fail(QStringLiteral("ZIP64 の目録の終わりがありません"));
        count = little(end64.constData() + 32, 8);
        directorySize = little(end64.constData() + 40, 8);
        directoryOffset = little(end64.constData() + 48, 8);
    }
    // Every entry takes at least 46 bytes of the directory.
    if (directorySize > m_size || count > directorySize / 46)
        return fail(QStringLiteral("目録の大きさが合いません"));
    QByteArray directory;
    if (!readAt(directoryOffset, qint64(directorySize), &directory))
        return fail(QStringLiteral("目録を読めません"));
    qsizetype at = 0;
    for (quint64 k = 0; k < count; ++k) {
        if (directory.size() - at < 46 || std::memcmp(directory.constData() + at, "PK\x01\x02", 4) != 0)
            return fail(QStringLiteral("目録の %1 番目の項目が壊れています").arg(k + 1));
        const char *h = directory.constData() + at;
        Member m;
        m.method = int(little(h + 10, 2));
        m.crc = quint32(little(h + 16, 4));
        m.packedSize = little(h + 20, 4);
        m.size = little(h + 24, 4);
        const qsizetype nameLength = qsizetype(little(h + 28, 2));
        const qsizetype extraLength = qsizetype(little(h + 30, 2));
        const qsizetype commentLength = qsizetype(little(h + 32, 2));
        m.headerOffset = little(h + 42, 4);
        if (directory.size() - at - 46 < nameLength + extraLength + commentLength)
            return fail(QStringLiteral("目録の %1 番目の項目が壊れています").arg(k + 1));
        m.name = QByteArray(h + 46, nameLength);
        // The ZIP64 field holds, in this order, the sizes and the offset the entry marks as too large.
        const char *x = h + 46 + nameLength;
        const char *xEnd = x + extraLength;
        while (xEnd - x >= 4) {
            const quint64 id = little(x, 2);
            const qsizetype length = qsizetype(little(x + 2, 2));
            const char *field = x + 4;
            if (xEnd - field < length)
                break;
            if (id == 0x0001) {
                const char *f = field;
                const char *fEnd = field + length;
                const auto take = [&](quint64 *value) {
                    if (*value == 0xFFFFFFFF && fEnd - f >= 8) {
                        *value = little(f, 8);
                        f += 8;
                    }
                };
                take(&m.size);
                take(&m.packedSize);
                take(&m.headerOffset);
            }
            x = field + length;
        }
        members->push_back(m);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

bool PackageReader::checkMember(const Member &m)
{
    const QString name = QString::fromUtf8(m.name);
    const auto broken = [&](const QString &why) {
        return fail(QStringLiteral("「%1」%2").arg(name, why));
    };
    QByteArray local;
    if (!readAt(m.headerOffset, 30, &local) || !local.startsWith("PK\x03\x04"))
        return broken(QStringLiteral("の見出しがありません"));
    const quint64 dataOffset = m.headerOffset + 30 + little(local.constData() + 26, 2) + little(local.constData() + 28, 2);
    if (dataOffset > m_size || m.packedSize > m_size - dataOffset)
        return broken(QStringLiteral("がファイルの終わりを越えています"));
    if (m.method != 0 && m.method != 8)
        return broken(QStringLiteral("の圧縮方式 %1 は読めません").arg(m.method));
    if (!m_file.seek(qint64(dataOffset)))
        return broken(QStringLiteral("を読めません"));

    z_stream z{};
    if (m.method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return broken(QStringLiteral("を展開できません"));
    constexpr qsizetype kChunk = 1 << 18;
    QByteArray in;
    QByteArray out(kChunk, Qt::Uninitialized);
    QByteArray head; // the first bytes, for the root element's name
    QByteArray last; // the last bytes
    uLong crc = crc32(0L, Z_NULL, 0);
    quint64 produced = 0;
    quint64 remaining = m.packedSize;
    bool ended = m.method == 0;
    bool ok = true;
    const auto take = [&](const char *data, qsizetype size) {
        crc = crc32(crc, reinterpret_cast<const Bytef *>(data), uInt(size));
        produced += quint64(size);
        if (head.size() < 512)
            head.append(data, qMin<qsizetype>(size, 512 - head.size()));
        last.append(data + qMax<qsizetype>(0, size - 256), qMin<qsizetype>(size, 256));
        if (last.size() > 256)
            last.remove(0, last.size() - 256);
    };
    while (ok && remaining > 0) {
        in = m_file.read(qint64(qMin<quint64>(remaining, quint64(kChunk))));
        if (in.isEmpty()) {
            ok = false;
            break;
        }
        remaining -= quint64(in.size());
        if (m.method == 0) {
            take(in.constData(), in.size());
            continue;
        }
        z.next_in = reinterpret_cast<Bytef *>(in.data());
        z.avail_in = uInt(in.size());
        while (z.avail_in > 0 && !ended) {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            const int r = inflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) {
                ok = false;
                break;
            }
            take(out.constData(), out.size() - qsizetype(z.avail_out));
            if (r == Z_STREAM_END)
                ended = true;
            else if (r == Z_BUF_ERROR)
                break;
        }
    }
    // What is still held inside the inflater once all the input is in.
    while (ok && !ended && m.method == 8) {
        z.next_out = reinterpret_cast<Bytef *>(out.data());
        z.avail_out = uInt(out.size());
        const int r = inflate(&z, Z_FINISH);
        take(out.constData(), out.size() - qsizetype(z.avail_out));
        if (r == Z_STREAM_END)
            ended = true;
        else if (r != Z_OK && r != Z_BUF_ERROR)
            ok = false;
        else if (z.avail_out == uInt(out.size()))
            break;
    }
    if (m.method == 8)
        inflateEnd(&z);
    if (!ok || !ended)
        return broken(QStringLiteral("の圧縮データが壊れています"));
    if (produced != m.size || quint32(crc) != m.crc)
        return broken(QStringLiteral("の大きさか検査値が目録と合いません"));

    if (!m.name.endsWith(".xml") && !m.name.endsWith(".rels"))
        return true;
    // The root element: the first element after the declaration and any comments.
    qsizetype at = 0;
    while (true) {
        at = head.indexOf('<', at);
        if (at < 0 || at + 1 >= head.size())
            return broken(QStringLiteral("に XML の要素がありません"));
        const char next = head.at(at + 1);
        if (next != '?' && next != '!')
            break;
        ++at;
    }
    qsizetype nameEnd = at + 1;
    while (nameEnd < head.size() && !std::strchr(" \t\r\n/>", head.at(nameEnd)))
        ++nameEnd;
    const QByteArray root = head.mid(at + 1, nameEnd - at - 1);
    const QByteArray trimmed = last.trimmed();
    const bool closed = trimmed.endsWith("</" + root + '>')
                        || (produced <= quint64(head.size()) && !head.contains("</") && trimmed.endsWith("/>"));
    if (!closed)
        return broken(QStringLiteral("が途中で切れています"));
    return true;
}

bool PackageReader::check(QString *error)
{
    const auto failed = [&] {
        *error = m_error;
        return false;
    };
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("開けません");
        return failed();
    }
    m_size = quint64(m_file.size());
    std::vector<Member> members;
    if (!readDirectory(&members))
        return failed();
    if (members.empty()) {
        m_error = QStringLiteral("中身がありません");
        return failed();
    }
    for (const Member &m : members) {
        if (!checkMember(m))
            return failed();
    }
    return true;
}

} // namespace

bool checkZipPackage(const QString &fileName, QString *error)
{
    return PackageReader(fileName).check(error);
}

} // namespace Zelkor
