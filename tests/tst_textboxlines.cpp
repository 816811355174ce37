#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

#include "print/cjkfonts.h"
#include "text/textboxlines.h"
#include "text/textboxwrap.h"

// A multi-line box read by the lines it shows.
class TestTextBoxLines : public QObject
{
    Q_OBJECT

private slots:
    void wrappedParagraphGivesSeveralLines();
    void plainLines_data();
    void plainLines();
    void wrapWithoutTheBoxBreaksWhereTheBoxDoes_data();
    void wrapWithoutTheBoxBreaksWhereTheBoxDoes();
};

void TestTextBoxLines::wrappedParagraphGivesSeveralLines()
{
    QPlainTextEdit box;
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.resize(220, 300);
    const QString paragraph = u"患者三天前受凉后出现咳嗽咳痰，痰白质稀，伴鼻塞流涕，无发热，无胸闷气短，自服感冒药效果不佳。"_qs;
    box.setPlainText(u"主诉：咳嗽三天\n"_qs + paragraph + u"\n\n查体：咽部充血"_qs);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    const TextBoxLines lines(box.document());
    QVERIFY2(lines.count() >= 5, qPrintable(QString::number(lines.count())));
    QCOMPARE(lines.line(0), u"主诉：咳嗽三天"_qs);
    // The paragraph comes back as consecutive displayed lines that together make it whole.
    const int paragraphLines = lines.count() - 3;
    QVERIFY(paragraphLines >= 2);
    QString joined;
    for (int k = 1; k <= paragraphLines; ++k) {
        QVERIFY(!lines.line(k).isEmpty());
        QVERIFY(lines.line(k).size() < paragraph.size());
        joined += lines.line(k);
    }
    QCOMPARE(joined, paragraph);
    QCOMPARE(lines.line(paragraphLines + 1), QString());
    QCOMPARE(lines.line(paragraphLines + 2), u"查体：咽部充血"_qs);
    QCOMPARE(textBoxLine(box.document(), lines.count()), QString());

    // Widening the box changes where it wraps, and the lines follow.
    box.resize(2000, 300);
    QCOMPARE(TextBoxLines(box.document()).count(), 4);
    QCOMPARE(TextBoxLines(box.document()).line(1), paragraph);
}

void TestTextBoxLines::plainLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty box shows one empty line") << QString() << QStringList{QString()};
    QTest::newRow("empty line in the middle") << u"a\n\nb"_qs << QStringList{u"a"_qs, QString(), u"b"_qs};
    QTest::newRow("trailing line break") << u"阿莫西林胶囊 0.25g×24粒\n"_qs << QStringList{u"阿莫西林胶囊 0.25g×24粒"_qs, QString()};
}

void TestTextBoxLines::plainLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QPlainTextEdit box;
    box.resize(600, 300);
    box.setPlainText(text);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const TextBoxLines lines(box.document());
    QStringList actual;
    for (int k = 0; k < lines.count(); ++k)
        actual << lines.line(k);
    QCOMPARE(actual, expected);
}

void TestTextBoxLines::wrapWithoutTheBoxBreaksWhereTheBoxDoes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    const QString body = u"复方甘草口服溶液 100ml×1瓶 每次10ml 每日三次 饭后服用 服药期间忌食辛辣油腻食物\r\n"
                         u"sig: 10ml tid po\r\n\r\n"
                         u"Amoxicillin-Clavulanate-Potassium-Tablets-0.375g×12 一日三次"_qs;
    // The widths of the prescription body box: Western, Chinese narrow and wide (twips / 15).
    QTest::newRow("Western body box") << 305 << body;
    QTest::newRow("narrow Chinese body box") << 341 << body;
    QTest::newRow("wide Chinese body box") << 377 << body;
    QTest::newRow("a narrow box breaks inside a long word") << 90 << body;
    QTest::newRow("empty text") << 305 << QString();
}

void TestTextBoxLines::wrapWithoutTheBoxBreaksWhereTheBoxDoes()
{
    QFETCH(int, width);
    QFETCH(QString, text);
    CjkFonts::installSubstitutions();
    QFont font(CjkFonts::song());
    font.setPointSizeF(10.5);

    QPlainTextEdit box;
    box.setFrameShape(QFrame::NoFrame);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box.setFont(font);
    box.resize(width, 400);
    box.setPlainText(text);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    const TextBoxLines shown(box.document());
    QStringList expected;
    for (int k = 0; k < shown.count(); ++k)
        expected << shown.line(k);
    // Each width wraps at least one of the four paragraphs.
    QVERIFY(text.isEmpty() || expected.size() > 4);
    const double textWidth = box.viewport()->width() - 2 * box.document()->documentMargin();
    QCOMPARE(TextBoxWrap::lines(text, font, textWidth), expected);
}

QTEST_MAIN(TestTextBoxLines)
#include "tst_textboxlines.moc"
