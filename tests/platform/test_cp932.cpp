// CP932 conversion: the exact bytes of the program's own texts, the whole double-byte area,
// and the errors that name where the text or the bytes go wrong.
#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

using namespace Zelkor;

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

struct KnownText
{
    QString text;
    QByteArray bytes;
};

// Characters the program writes into its files and captions, with their Windows bytes.
std::vector<KnownText> knownTexts()
{
    std::vector<KnownText> t = {
        {u(u"調査面積（㎡）"), hex("92B28DB896CA90CF81698775816A")},
        {u(u"～"), hex("8160")},          // U+FF5E fullwidth tilde
        {u(u"･"), hex("A5")},             // U+FF65 half-width middle dot
        {u(u"・"), hex("8145")},
        {u(u"─"), hex("849F")},           // U+2500 box drawing
        {u(u"\u3000"), hex("8140")},      // ideographic space
        {u(u"①"), hex("8740")},
        {u(u"１"), hex("8250")},
        {u(u"ｱｲｳﾟ｡"), hex("B1B2B3DFA1")},  // half-width katakana
        {u(u"－"), hex("817C")},          // U+FF0D fullwidth hyphen-minus
        {u(u"∥"), hex("8161")},           // U+2225
        {QStringLiteral("\\~"), hex("5C7E")}, // backslash and tilde, not yen and overline
        {QStringLiteral("Abc 1.5, r+"), QByteArray("Abc 1.5, r+")},
        {QString(), QByteArray()},
    };
    for (int i = 0; i < 10; ++i) // Ⅰ..Ⅹ
        t.push_back({QString(QChar(0x2160 + i)), QByteArray::fromHex(QByteArray::number(0x8754 + i, 16))});
    return t;
}

} // namespace

TEST(Cp932Test, ProgramTextsHaveTheirWindowsBytes)
{
    for (const KnownText &k : knownTexts()) {
        SCOPED_TRACE(k.text.toStdString());
        QByteArray bytes;
        QString error = QStringLiteral("unchanged");
        ASSERT_TRUE(Cp932::encode(k.text, &bytes, &error));
        EXPECT_EQ(bytes.toHex(), k.bytes.toHex());
        QString text;
        ASSERT_TRUE(Cp932::decode(k.bytes, &text, &error));
        EXPECT_EQ(text, k.text);
        EXPECT_EQ(Cp932::encodeLossy(k.text), k.bytes);
        EXPECT_EQ(Cp932::decodeLossy(k.bytes), k.text);
        EXPECT_EQ(Cp932::byteCount(k.text), k.bytes.size());
    }
}

// Linux input methods type some characters in their JIS forms; they are written as the
// CP932 character Windows uses for them, and read back in the Windows form.
TEST(Cp932Test, InputMethodFormsAreWrittenAsTheirWindowsCounterparts)
{
    const struct { QString typed; QByteArray bytes; QString readBack; } cases[] = {
        {u(u"\u301C"), hex("8160"), u(u"\uFF5E")}, // wave dash → fullwidth tilde
        {u(u"\u2212"), hex("817C"), u(u"\uFF0D")}, // minus sign → fullwidth hyphen-minus
        {u(u"\u2016"), hex("8161"), u(u"\u2225")}, // double vertical line → parallel to
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QByteArray bytes;
        ASSERT_TRUE(Cp932::encode(c.typed, &bytes));
        EXPECT_EQ(bytes.toHex(), c.bytes.toHex());
        QString text;
        ASSERT_TRUE(Cp932::decode(bytes, &text));
        EXPECT_EQ(text, c.readBack);
    }
}

TEST(Cp932Test, SingleByteArea)
{
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const QByteArray bytes(1, char(b));
        QString text;
        const bool ok = Cp932::decode(bytes, &text);
        if (b < 0x80) {
            ASSERT_TRUE(ok);
            EXPECT_EQ(text, QString(QChar(b)));
        } else if (b >= 0xA1 && b <= 0xDF) {
            ASSERT_TRUE(ok);
            EXPECT_EQ(text, QString(QChar(0xFF61 + b - 0xA1)));
        } else {
            // 0x80, 0xA0 and 0xFD..0xFF are nothing; 0x81..0x9F, 0xE0..0xFC are lead bytes
            // without their second byte.
            EXPECT_FALSE(ok);
            continue;
        }
        QByteArray back;
        ASSERT_TRUE(Cp932::encode(text, &back));
        EXPECT_EQ(back, bytes);
    }
}

// Pure ASCII takes a short cut; it must agree with the full conversion.
TEST(Cp932Test, AsciiShortCutAgreesWithFullConversion)
{
    QByteArray ascii;
    for (int b = 0; b < 0x80; ++b)
        ascii.append(char(b));
    QString viaShortCut;
    ASSERT_TRUE(Cp932::decode(ascii, &viaShortCut));
    QString viaConverter;
    ASSERT_TRUE(Cp932::decode(hex("82A0") + ascii, &viaConverter));
    EXPECT_EQ(viaConverter, u(u"あ") + viaShortCut);

    QByteArray encodedShortCut;
    ASSERT_TRUE(Cp932::encode(viaShortCut, &encodedShortCut));
    QByteArray encodedConverter;
    ASSERT_TRUE(Cp932::encode(viaConverter, &encodedConverter));
    EXPECT_EQ(encodedShortCut, ascii);
    EXPECT_EQ(encodedConverter, hex("82A0") + ascii);
}

// Every lead/trail byte pair that decodes to a character: it re-encodes to the same two bytes,
// or - for the NEC and IBM duplicates - to the one code Windows writes for that character,
// which decodes to the same text.
TEST(Cp932Test, DoubleByteAreaRoundTrips)
{
    int exact = 0;
    int duplicates = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF)
            continue; // single-byte katakana, not lead bytes
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            QByteArray bytes;
            bytes.append(char(lead)).append(char(trail));
            QString text;
            if (!Cp932::decode(bytes, &text))
                continue;
            SCOPED_TRACE(bytes.toHex().toStdString());
            ASSERT_EQ(text.size(), 1);
            QByteArray back;
            QString error;
            ASSERT_TRUE(Cp932::encode(text, &back, &error)) << error.toStdString();
            ASSERT_EQ(back.size(), 2);
            EXPECT_EQ(Cp932::byteCount(text), 2);
            if (back == bytes) {
                ++exact;
                continue;
            }
            ++duplicates;
            QString again;
            ASSERT_TRUE(Cp932::decode(back, &again));
            EXPECT_EQ(again, text);
            QByteArray backAgain;
            ASSERT_TRUE(Cp932::encode(again, &backAgain));
            EXPECT_EQ(backAgain, back);
        }
    }
    // CP932 has about 7,900 double-byte characters outside the duplicates and the user area.
    EXPECT_GT(exact, 7000);
    EXPECT_GT(duplicates, 0);
}

TEST(Cp932Test, DuplicateCodesSettleOnOneForm)
{
    const struct { const char *read; const char *written; } cases[] = {
        {"8790", "81E0"}, // ≒ NEC row 13 → JIS
        {"ED40", "FA5C"}, // 纊 NEC-selected IBM → IBM
        {"FA4A", "8754"}, // Ⅰ IBM → NEC row 13
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.read);
        QString text;
        ASSERT_TRUE(Cp932::decode(hex(c.read), &text));
        QByteArray back;
        ASSERT_TRUE(Cp932::encode(text, &back));
        EXPECT_EQ(back.toHex().toUpper(), QByteArray(c.written));
        QString again;
        ASSERT_TRUE(Cp932::decode(back, &again));
        EXPECT_EQ(again, text);
    }
}

TEST(Cp932Test, UndecodableBytesNameTheirOffset)
{
    const struct { QByteArray bytes; int offset; QString lossy; } cases[] = {
        {hex("81"), 1, u(u"\uFFFD")},                    // lead byte cut off by the end
        {QByteArray("ab") + hex("81"), 3, u(u"ab\uFFFD")},
        {QByteArray("abc") + hex("80"), 4, u(u"abc\uFFFD")},
        {hex("82A0") + "ab" + hex("FF"), 5, u(u"あab\uFFFD")},
        {QByteArray("a") + hex("8120") + "b", 2, u(u"a\uFFFD b")}, // the blank after a stray lead byte stays
        {hex("8540") + "x", 1, u(u"\uFFFDx")},           // well-formed but unassigned pair
        {hex("A0"), 1, u(u"\uFFFD")},
        {hex("EFBBBF") + "x", 1, u(u"\uFFFDｿx")},  // a UTF-8 byte-order mark: EF BB unassigned, BF katakana
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        QString text = QStringLiteral("old");
        QString error;
        EXPECT_FALSE(Cp932::decode(c.bytes, &text, &error));
        EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(error, QStringLiteral("%1 バイト目がシフトJISとして読めません").arg(c.offset));
        EXPECT_EQ(Cp932::decodeLossy(c.bytes), c.lossy);
    }
}

TEST(Cp932Test, UnmappableCharactersNameTheirPosition)
{
    const struct { QString text; QString message; QByteArray lossy; } cases[] = {
        {u(u"ab€"), u(u"3 文字目の「€」はシフトJISで表せません"), QByteArray("ab?")},
        {u(u"調査é"), u(u"3 文字目の「é」はシフトJISで表せません"), hex("92B28DB8") + "?"},
        {u(u"あ😀x"), u(u"2 文字目の「😀」はシフトJISで表せません"), hex("82A0") + "?x"},
        {u(u"a\u00A0b"), u(u"2 文字目の「U+00A0」はシフトJISで表せません"), QByteArray("a?b")},
        {u(u"€あ€"), u(u"1 文字目の「€」はシフトJISで表せません"), QByteArray("?") + hex("82A0") + "?"},
        {QStringLiteral("a") + QChar(0xD800) + QStringLiteral("x"),
         u(u"2 文字目の「U+D800」はシフトJISで表せません"), QByteArray("a?x")},
        {QStringLiteral("ab") + QChar(0xD83D), u(u"3 文字目の「U+D83D」はシフトJISで表せません"),
         QByteArray("ab?")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QByteArray bytes = "old";
        QString error;
        EXPECT_FALSE(Cp932::encode(c.text, &bytes, &error));
        EXPECT_TRUE(bytes.isEmpty());
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(Cp932::encodeLossy(c.text).toHex(), c.lossy.toHex());
        EXPECT_EQ(Cp932::byteCount(c.text), c.lossy.size());
    }
}

TEST(Cp932Test, CutToBytesNeverSplitsACharacter)
{
    const struct { QString text; int maxBytes; QString cut; } cases[] = {
        {u(u"調査面積"), 5, u(u"調査")},
        {u(u"調査面積"), 4, u(u"調査")},
        {u(u"調査面積"), 1, QString()},
        {u(u"a調"), 2, u(u"a")},
        {u(u"a調"), 3, u(u"a調")},
        {u(u"ｱ調"), 2, u(u"ｱ")},
        {u(u"ｱｲｳ"), 2, u(u"ｱｲ")},
        {u(u"abc"), 0, QString()},
        {u(u"abc"), -1, QString()},
        {u(u"abc"), 10, u(u"abc")},
        {u(u"😀a"), 1, u(u"😀")},   // counted as the one "?" it would be written as
        {u(u"a😀"), 1, u(u"a")},
        {QString(), 5, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " " + std::to_string(c.maxBytes));
        EXPECT_EQ(Cp932::cutToBytes(c.text, c.maxBytes), c.cut);
    }
}

// For every limit, the cut is the longest prefix that fits: one more character would not.
TEST(Cp932Test, CutToBytesTakesTheLongestPrefixThatFits)
{
    const QString text = u(u"Aｱ調査（㎡）1ⅠＸ･─\u3000b");
    for (int max = 0; max <= Cp932::byteCount(text) + 1; ++max) {
        SCOPED_TRACE(max);
        const QString cut = Cp932::cutToBytes(text, max);
        EXPECT_TRUE(text.startsWith(cut));
        EXPECT_LE(Cp932::byteCount(cut), max);
        if (cut.size() < text.size()) {
            EXPECT_GT(Cp932::byteCount(text.left(cut.size() + 1)), max);
        } else {
            EXPECT_GE(max, Cp932::byteCount(text));
        }
    }
}
