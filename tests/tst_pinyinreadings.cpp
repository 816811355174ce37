#include <algorithm>

#include <QFile>
#include <QTest>

#include "data/tsvtable.h"
#include "text/nameorder.h"
#include "text/pinyininitials.h"
#include "text/pinyinpattern.h"
#include "text/pinyinreadings.h"
#include "text/searchindex.h"

class TestPinyinReadings : public QObject
{
    Q_OBJECT

private slots:
    void initialsOf_data();
    void initialsOf();
    void storedInitialLeadsEveryCharacter();
    void readingsFileParsing();
    void pattern_data();
    void pattern();
    void find_data();
    void find();
    void findKeepsTheGivenOrder();
    void polyphoneFreeNamesMatchLikeTheLiteralSearch();
    void nameOrder_data();
    void nameOrder();
};

void TestPinyinReadings::initialsOf_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("参: kMandarin cān, kXHC1983 shēn") << uint(U'参') << u"cs"_qs;
    QTest::newRow("术: kMandarin shù, zhú elsewhere") << uint(U'术') << u"sz"_qs;
    QTest::newRow("长: stored zhǎng first, cháng after") << uint(U'长') << u"zc"_qs;
    QTest::newRow("阿: ā and ē") << uint(U'阿') << u"ae"_qs;
    QTest::newRow("一 has one reading") << uint(U'一') << u"y"_qs;
    QTest::newRow("䓬 outside GBK") << uint(U'䓬') << u"z"_qs;
    QTest::newRow("𫫇 outside the BMP") << uint(0x2BAC7) << u"e"_qs;
    QTest::newRow("compatibility ideograph reads like its unified form") << uint(0xF92C) << u"l"_qs;
    QTest::newRow("upper-case ASCII letter") << uint(U'Q') << u"q"_qs;
    QTest::newRow("ASCII digit") << uint(U'7') << u"7"_qs;
    QTest::newRow("full-width colon") << uint(U'：') << QString();
    QTest::newRow("emoji") << uint(0x1F600) << QString();
    QTest::newRow("lone surrogate") << uint(0xD800) << QString();
}

void TestPinyinReadings::initialsOf()
{
    QFETCH(uint, code);
    QFETCH(QString, expected);
    QCOMPARE(PinyinReadings::shipped().initialsOf(char32_t(code)), expected);
}

void TestPinyinReadings::storedInitialLeadsEveryCharacter()
{
    // The two generated files must agree, or a name would no longer be found by its stored key's letter.
    const PinyinReadings &readings = PinyinReadings::shipped();
    int withReadings = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString stored = pinyinInitials(QString(QChar(char16_t(c))));
        const QString all = readings.initialsOf(c);
        if (!stored.isEmpty())
            QVERIFY2(all.startsWith(stored), qPrintable(QString(QChar(char16_t(c))) + u' ' + stored + u' ' + all));
        withReadings += all.isEmpty() ? 0 : 1;
    }
    QVERIFY(withReadings > 27000);
}

void TestPinyinReadings::readingsFileParsing()
{
    const PinyinReadings readings = PinyinReadings::fromText(
        u"ea\t阿𫫇\nz\t\xD800注\nzQ\t中\n\tx\nbad line\n"_qs);
    QCOMPARE(readings.initialsOf(U'阿'), u"ea"_qs);
    QCOMPARE(readings.initialsOf(0x2BAC7), u"ea"_qs);
    QCOMPARE(readings.initialsOf(U'注'), u"z"_qs);
    QCOMPARE(readings.initialsOf(0xD800), QString());
    QCOMPARE(readings.initialsOf(U'中'), QString());
    QCOMPARE(readings.letterMask(U'阿'), 0x11u);
}

void TestPinyinReadings::pattern_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    QTest::newRow("any reading at each position") << u"长春西汀"_qs << u"cc"_qs << true;
    QTest::newRow("run in the middle") << u"长春西汀"_qs << u"cx"_qs << true;
    QTest::newRow("run must be contiguous") << u"长春西汀"_qs << u"zx"_qs << false;
    QTest::newRow("longer than the name") << u"人参"_qs << u"rsx"_qs << false;
    QTest::newRow("keypad digits of other readings") << u"人参"_qs << u"55"_qs << true;
    QTest::newRow("keypad digit of no reading") << u"人参"_qs << u"54"_qs << false;
    QTest::newRow("letter and digit mixed") << u"人参"_qs << u"r5"_qs << true;
    QTest::newRow("digit in the name is itself") << u"0.9%氯化钠"_qs << u"09l"_qs << true;
    QTest::newRow("keypad digit after a name digit") << u"0.9%氯化钠"_qs << u"93"_qs << true;
    QTest::newRow("name digit is no keypad letter") << u"21金维他"_qs << u"b"_qs << false;
    QTest::newRow("symbols take no position") << u"阿胶{烊化}"_qs << u"jy"_qs << true;
    QTest::newRow("stops at the first space") << u"人参 须"_qs << u"sx"_qs << false;
    QTest::newRow("full-width space does not stop") << u"人参\u3000须"_qs << u"sx"_qs << true;
    QTest::newRow("supplementary character") << u"𫫇唑"_qs << u"ez"_qs << true;
    QTest::newRow("lone surrogate takes no position") << u"阿\xD800胶"_qs << u"ej"_qs << true;
    QTest::newRow("typed symbol never matches") << u"阿胶"_qs << u"a%"_qs << false;
    QTest::newRow("empty text matches") << u"阿胶"_qs << QString() << true;
    QTest::newRow("empty name matches nothing typed") << QString() << u"a"_qs << false;
}

void TestPinyinReadings::pattern()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    QCOMPARE(PinyinPattern(name).matches(typed), matches);
}

void TestPinyinReadings::find_data()
{
    // A null key stands for the key the program stores: name + initials + keypad digits.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    QTest::newRow("人参 by rs") << u"人参"_qs << QString() << u"rs"_qs << true;
    QTest::newRow("人参 by stored rc") << u"人参"_qs << QString() << u"rc"_qs << true;
    QTest::newRow("人参 by keypad 55") << u"人参"_qs << QString() << u"55"_qs << true;
    QTest::newRow("人参 not by rx") << u"人参"_qs << QString() << u"rx"_qs << false;
    QTest::newRow("白术 by bz") << u"白术"_qs << QString() << u"bz"_qs << true;
    QTest::newRow("白术 by bs") << u"白术"_qs << QString() << u"bs"_qs << true;
    QTest::newRow("重楼 by cl") << u"重楼"_qs << QString() << u"cl"_qs << true;
    QTest::newRow("重楼 by zl") << u"重楼"_qs << QString() << u"zl"_qs << true;
    QTest::newRow("藏红花 by zhh") << u"藏红花"_qs << QString() << u"zhh"_qs << true;
    QTest::newRow("蛤蚧 by gj") << u"蛤蚧"_qs << QString() << u"gj"_qs << true;
    QTest::newRow("长春西汀注射液 by cc") << u"长春西汀注射液"_qs << QString() << u"cc"_qs << true;
    QTest::newRow("调经促孕丸 by tj") << u"调经促孕丸"_qs << QString() << u"tj"_qs << true;
    QTest::newRow("阿胶 by ej") << u"阿胶{烊化}"_qs << QString() << u"ej"_qs << true;
    QTest::newRow("月经不调 by yjbt") << u"月经不调"_qs << QString() << u"yjbt"_qs << true;
    QTest::newRow("地尔硫䓬 by del") << u"地尔硫䓬"_qs << QString() << u"del"_qs << true;
    QTest::newRow("地尔硫䓬 by delz") << u"地尔硫䓬"_qs << QString() << u"delz"_qs << true;
    QTest::newRow("upper-case letters") << u"人参"_qs << QString() << u"RS"_qs << true;
    QTest::newRow("upper-case letters of a user's key") << u"人参"_qs << u"人参hsz"_qs << u"HSZ"_qs << true;
    QTest::newRow("upper-case in the stored key") << u"维生素C"_qs << u"维生素CVitC"_qs << u"vitc"_qs << true;
    QTest::newRow("name text itself") << u"藏红花"_qs << QString() << u"红花"_qs << true;
    QTest::newRow("percent is a plain character") << u"0.9%氯化钠注射液"_qs << QString() << u"9%氯"_qs << true;
    QTest::newRow("percent is no wildcard") << u"阿胶"_qs << QString() << u"a%j"_qs << false;
    QTest::newRow("underscore is no wildcard") << u"阿胶"_qs << QString() << u"a_"_qs << false;
    QTest::newRow("apostrophe found in the key") << u"D'阿胶"_qs << QString() << u"d'阿"_qs << true;
    QTest::newRow("apostrophe not in the key") << u"阿胶"_qs << QString() << u"aj'"_qs << false;
    QTest::newRow("user's own initials still found") << u"人参"_qs << u"人参hsz"_qs << u"hsz"_qs << true;
    QTest::newRow("user's own initials, name read too") << u"人参"_qs << u"人参hsz"_qs << u"rs"_qs << true;
    QTest::newRow("literal run across name and initials") << u"当归"_qs << QString() << u"归d"_qs << true;
    QTest::newRow("after the first space only literally") << u"人参 须"_qs << QString() << u"须"_qs << true;
    QTest::newRow("patient name and birth year") << u"张三"_qs << u"张三zs1990"_qs << u"1990"_qs << true;
}

void TestPinyinReadings::find()
{
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(QString, typed);
    QFETCH(bool, found);
    if (key.isNull())
        key = searchKey(name, pinyinInitials(name));
    const SearchIndex index({{7, name, key}});
    QCOMPARE(index.find(typed), found ? QList<qint64>{7} : QList<qint64>());
}

void TestPinyinReadings::findKeepsTheGivenOrder()
{
    QList<SearchIndex::Entry> entries;
    const QList<QPair<qint64, QString>> rows = {
        {30, u"重楼"_qs}, {10, u"人参"_qs}, {20, u"桂枝"_qs}, {40, u"党参"_qs}, {5, u"人参"_qs}};
    for (const auto &[id, name] : rows)
        entries.append({id, name, searchKey(name, pinyinInitials(name))});
    SearchIndex index(entries);
    QCOMPARE(index.find(u"s"), (QList<qint64>{10, 40, 5}));
    QCOMPARE(index.find(QString()), (QList<qint64>{30, 10, 20, 40, 5}));

    index.assign({entries.at(2), entries.at(0)});
    QCOMPARE(index.find(QString()), (QList<qint64>{20, 30}));
    QCOMPARE(index.find(u"s"), QList<qint64>());
    QCOMPARE(SearchIndex().find(u"a"), QList<qint64>());
}

void TestPinyinReadings::polyphoneFreeNamesMatchLikeTheLiteralSearch()
{
    QFile file(QStringLiteral(":/data/seed/catalogue.tsv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const TsvTable table = TsvTable::fromText(QString::fromUtf8(file.readAll()));
    const PinyinReadings &readings = PinyinReadings::shipped();

    // Only names without digits whose every character reads only as its stored initial: there the
    // readings add nothing, so the index must find exactly what LIKE '%…%' finds.
    QList<SearchIndex::Entry> entries;
    for (int row = 0; row < table.rowCount(); ++row) {
        const QString name = table.value(row, QStringLiteral("名称"));
        const bool plain = std::all_of(name.begin(), name.end(), [&](QChar c) {
            return !c.isDigit() && readings.initialsOf(c.unicode()) == pinyinInitials(QString(c));
        });
        if (plain)
            entries.append({row, name, searchKey(name, pinyinInitials(name))});
    }
    QVERIFY(entries.size() > 100);
    const SearchIndex index(entries);

    QStringList texts;
    for (char a = 'a'; a <= 'z'; ++a) {
        texts.append(QString(QLatin1Char(a)));
        for (char b = 'a'; b <= 'z'; ++b)
            texts.append(QString(QLatin1Char(a)) + QLatin1Char(b));
    }
    for (char a = '1'; a <= '7'; ++a) {
        for (char b = '1'; b <= '7'; ++b)
            texts.append(QString(QLatin1Char(a)) + QLatin1Char(b));
    }
    for (const QString &typed : std::as_const(texts)) {
        QList<qint64> literal;
        for (const SearchIndex::Entry &entry : std::as_const(entries)) {
            if (entry.searchKey.contains(typed, Qt::CaseInsensitive))
                literal.append(entry.rowId);
        }
        QCOMPARE(index.find(typed), literal);
    }
}

void TestPinyinReadings::nameOrder_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("by pinyin, not by code point") << u"丁香"_qs << u"三七粉"_qs;
    QTest::newRow("same initial, syllables compared") << u"三棱"_qs << u"桑叶"_qs;
    QTest::newRow("second character decides") << u"三棱"_qs << u"三七粉"_qs;
    QTest::newRow("a shorter name first") << u"甘草"_qs << u"甘草片"_qs;
    QTest::newRow("letters blind to case") << u"abc"_qs << u"ABD"_qs;
    QTest::newRow("letters before Han") << u"Vc泡腾片"_qs << u"阿莫西林"_qs;
    QTest::newRow("digits before letters") << u"5%葡萄糖"_qs << u"a"_qs;
}

void TestPinyinReadings::nameOrder()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QVERIFY(NameOrder::less(first, second));
    QVERIFY(!NameOrder::less(second, first));
    QVERIFY(!NameOrder::less(first.toUpper(), first.toLower()));
}

QTEST_APPLESS_MAIN(TestPinyinReadings)
#include "tst_pinyinreadings.moc"
