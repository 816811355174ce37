#include <QTest>

#include "print/cjkfonts.h"
#include "print/recordingcanvas.h"
#include "records/medicalrecordform.h"

using Section = MedicalRecordForm::Section;

Q_DECLARE_METATYPE(MedicalRecordForm::Section)

namespace {

// Body line k of a page: 2 mm below the upper rule at 1920, then 7 mm a line.
double lineTop(int k)
{
    return 2033.4 + 396.9 * k;
}

constexpr double FooterTop = 10311.6;
constexpr double TextLeft = 1080;

MedicalRecordForm::Header header()
{
    return {u"青山镇卫生院门诊病历"_qs, u"就诊时间：2024年03月01日09时30分"_qs, u"姓名：张三"_qs, u"性别：男"_qs,
            u"年龄：35岁"_qs, u"科别：内科"_qs, u"住址/电话：青山镇东街12号"_qs};
}

MedicalRecordForm recordWith(const QStringList &sections, const QString &left = u"5"_qs, const QString &top = u"5"_qs)
{
    return MedicalRecordForm(sections, header(), u"李明"_qs, Margins::fromTexts(left, top));
}

QStringList withSection(Section section, const QString &text)
{
    QStringList sections(MedicalRecordForm::SectionCount);
    sections[section] = text;
    return sections;
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines << u"处理第%1行"_qs.arg(k);
    return lines;
}

// The section texts printed, as "text@page:line".
QStringList sectionTexts(const RecordingCanvas &canvas)
{
    QStringList texts;
    for (const RecordingCanvas::Text &text : canvas.texts()) {
        if (text.at.x() != TextLeft)
            continue;
        const double line = (text.at.y() - lineTop(0)) / 396.9;
        texts << u"%1@%2:%3"_qs.arg(text.text).arg(text.page).arg(line, 0, 'f', 2);
    }
    return texts;
}

} // namespace

// The printed medical record, drawn on the recording canvas.
class TestRecordPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void emptyRecordPrintsFrameAndCaptions();
    void sectionLines_data();
    void sectionLines();
    void wrappedSectionPrintsItsFirstThreeLines();
    void treatmentPages_data();
    void treatmentPages();
    void margins_data();
    void margins();
    void overfullSections_data();
    void overfullSections();
};

void TestRecordPrint::initTestCase()
{
    CjkFonts::installSubstitutions();
}

void TestRecordPrint::emptyRecordPrintsFrameAndCaptions()
{
    const MedicalRecordForm form = recordWith({});
    QCOMPARE(form.pageCount(), 1);
    RecordingCanvas canvas;
    canvas.run(form.layout());

    const QList<QPair<QString, QPointF>> frame = {
        {u"青山镇卫生院门诊病历"_qs, {(6975 - 10 * 360) / 2.0, 180}},
        {u"就诊时间：2024年03月01日09时30分"_qs, {120, 780}},
        {u"姓名：张三"_qs, {120, 1200}},
        {u"性别：男"_qs, {2340, 1200}},
        {u"年龄：35岁"_qs, {3660, 1200}},
        {u"科别：内科"_qs, {5400, 1200}},
        {u"住址/电话：青山镇东街12号"_qs, {120, 1620}},
        {u"医师：李明"_qs, {120, FooterTop}},
        {u"第 1 页"_qs, {6000, FooterTop}},
    };
    for (const auto &[text, at] : frame) {
        const RecordingCanvas::Text *printed = canvas.findText(text);
        QVERIFY2(printed, qPrintable(text));
        QCOMPARE(printed->at, at);
        QCOMPARE(printed->font.name, u"宋体"_qs);
        const bool title = text == u"青山镇卫生院门诊病历"_qs;
        QCOMPARE(printed->font.pointSize, title ? 18.0 : 11.25);
        QCOMPARE(printed->font.bold, title);
    }

    const QList<int> captionLines = {0, 1, 4, 5, 6, 7, 10, 11, 12};
    for (int i = 0; i < MedicalRecordForm::SectionCount; ++i) {
        const RecordingCanvas::Text *caption = canvas.findText(MedicalRecordForm::captions().at(i));
        QVERIFY2(caption, qPrintable(MedicalRecordForm::captions().at(i)));
        QCOMPARE(caption->at, QPointF(120, lineTop(captionLines.at(i))));
        QCOMPARE(caption->font.pointSize, 11.25);
        QVERIFY(!caption->font.bold);
    }
    // Nothing else: the frame's nine texts and the nine captions.
    QCOMPARE(canvas.texts().size(), frame.size() + 9);

    // The double rule, then 21 ruled lines 7 mm apart below the upper one.
    QCOMPARE(canvas.lines().size(), 2 + 21);
    QCOMPARE(canvas.lines().at(0).from, QPointF(120, 1980));
    QCOMPARE(canvas.lines().at(0).to, QPointF(6780, 1980));
    QCOMPARE(canvas.lines().at(1).from, QPointF(120, 1920));
    for (int j = 1; j <= 21; ++j) {
        QCOMPARE(canvas.lines().at(1 + j).from, QPointF(120, 1920 + 396.9 * j));
        QCOMPARE(canvas.lines().at(1 + j).to, QPointF(6780, 1920 + 396.9 * j));
    }
    QCOMPARE(canvas.pages().size(), 1);
}

void TestRecordPrint::sectionLines_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("主诉 on the first line") << int(MedicalRecordForm::ChiefComplaint) << u"咳嗽三天"_qs
                                       << QStringList{u"咳嗽三天@1:0.00"_qs};
    QTest::newRow("现病史 of five lines prints its first three")
        << int(MedicalRecordForm::PresentIllness) << u"受凉后咳嗽\r\n痰白质稀\r\n伴鼻塞流涕\r\n无发热\r\n自服感冒药"_qs
        << QStringList{u"受凉后咳嗽@1:1.00"_qs, u"痰白质稀@1:2.00"_qs, u"伴鼻塞流涕@1:3.00"_qs};
    QTest::newRow("现病史 of one line leaves its other two lines empty")
        << int(MedicalRecordForm::PresentIllness) << u"受凉后咳嗽"_qs << QStringList{u"受凉后咳嗽@1:1.00"_qs};
    QTest::newRow("既往史") << int(MedicalRecordForm::PastHistory) << u"高血压"_qs << QStringList{u"高血压@1:4.00"_qs};
    QTest::newRow("个人史") << int(MedicalRecordForm::PersonalHistory) << u"吸烟"_qs << QStringList{u"吸烟@1:5.00"_qs};
    QTest::newRow("过敏史") << int(MedicalRecordForm::AllergyHistory) << u"青霉素"_qs << QStringList{u"青霉素@1:6.00"_qs};
    QTest::newRow("体检 on lines 7 to 9")
        << int(MedicalRecordForm::Examination) << u"T 36.8℃\r\n咽部充血\r\n双肺呼吸音清\r\n心率80次/分"_qs
        << QStringList{u"T 36.8℃@1:7.00"_qs, u"咽部充血@1:8.00"_qs, u"双肺呼吸音清@1:9.00"_qs};
    QTest::newRow("辅检") << int(MedicalRecordForm::AuxiliaryExamination) << u"血常规正常"_qs << QStringList{u"血常规正常@1:10.00"_qs};
    QTest::newRow("诊断") << int(MedicalRecordForm::Diagnosis) << u"上呼吸道感染"_qs << QStringList{u"上呼吸道感染@1:11.00"_qs};
    QTest::newRow("a one-line section holding a line break stays on its own line")
        << int(MedicalRecordForm::PastHistory) << u"高血压\r\n糖尿病"_qs << QStringList{u"高血压 糖尿病@1:4.00"_qs};
    QTest::newRow("the treatment from the caption's line on")
        << int(MedicalRecordForm::Treatment) << u"阿莫西林胶囊\r\n\r\n多饮水"_qs
        << QStringList{u"阿莫西林胶囊@1:12.00"_qs, u"多饮水@1:14.00"_qs};
}

void TestRecordPrint::sectionLines()
{
    QFETCH(int, section);
    QFETCH(QString, text);
    QFETCH(QStringList, printed);

    RecordingCanvas canvas;
    recordWith(withSection(Section(section), text)).draw(canvas);
    QCOMPARE(sectionTexts(canvas), printed);
}

void TestRecordPrint::wrappedSectionPrintsItsFirstThreeLines()
{
    const QString paragraph = u"患者三天前受凉后出现咳嗽咳痰，痰白质稀，伴鼻塞流涕，无发热，无胸闷气短，自服感冒药效果不佳，今来就诊。"_qs;
    MedicalRecordForm form = recordWith(withSection(MedicalRecordForm::PresentIllness, paragraph));
    QCOMPARE(form.displayLines(MedicalRecordForm::PresentIllness), QStringList{paragraph});
    QFont font(CjkFonts::song());
    font.setPointSizeF(10.5);
    form.wrapSection(MedicalRecordForm::PresentIllness, font, 180);

    const QStringList lines = form.displayLines(MedicalRecordForm::PresentIllness);
    QVERIFY2(lines.size() > 3, qPrintable(lines.join(u'|')));
    QCOMPARE(lines.join(QString()), paragraph);
    RecordingCanvas canvas;
    form.draw(canvas);
    QCOMPARE(sectionTexts(canvas),
             (QStringList{lines.at(0) + u"@1:1.00"_qs, lines.at(1) + u"@1:2.00"_qs, lines.at(2) + u"@1:3.00"_qs}));
    QCOMPARE(form.overfullSections(), QList<Section>{MedicalRecordForm::PresentIllness});
}

void TestRecordPrint::treatmentPages_data()
{
    QTest::addColumn<QStringList>("treatment");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("9 lines fit the first page") << numberedLines(9) << 1 << u"处理第9行@1:20.00"_qs;
    QTest::newRow("a 10th line starts page 2 at its first body line") << numberedLines(10) << 2 << u"处理第10行@2:0.00"_qs;
    QTest::newRow("a further page holds 21 lines, one a ruled line") << numberedLines(30) << 2 << u"处理第30行@2:20.00"_qs;
    QTest::newRow("the 31st line starts page 3") << numberedLines(31) << 3 << u"处理第31行@3:0.00"_qs;
    QTest::newRow("blank lines at the end start no page")
        << (numberedLines(9) << QString() << u"  "_qs << QString()) << 1 << u"处理第9行@1:20.00"_qs;
}

void TestRecordPrint::treatmentPages()
{
    QFETCH(QStringList, treatment);
    QFETCH(int, pages);
    QFETCH(QString, lastLine);

    const MedicalRecordForm form = recordWith(withSection(MedicalRecordForm::Treatment, treatment.join(u"\r\n"_qs)));
    QCOMPARE(form.pageCount(), pages);
    RecordingCanvas canvas;
    canvas.run(form.layout());
    QCOMPARE(canvas.pages().size(), pages);

    const QStringList printed = sectionTexts(canvas);
    QCOMPARE(printed.last(), lastLine);
    if (pages > 1) {
        QVERIFY(printed.size() >= 10);
        QCOMPARE(printed.at(9), u"处理第10行@2:0.00"_qs);
    }
    // Every page has its frame and its number; no treatment line reaches the footer.
    for (int page = 1; page <= pages; ++page) {
        int numbers = 0;
        int titles = 0;
        for (const RecordingCanvas::Text &text : canvas.texts()) {
            if (text.page != page)
                continue;
            numbers += text.text == u"第 %1 页"_qs.arg(page) && text.at == QPointF(6000, FooterTop);
            titles += text.text == header().title;
            if (text.at.x() == TextLeft)
                QVERIFY2(text.at.y() <= lineTop(20) + 0.01, qPrintable(text.text));
        }
        QCOMPARE(numbers, 1);
        QCOMPARE(titles, 1);
    }
}

void TestRecordPrint::margins_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QPointF>("shift");
    QTest::newRow("5 mm leaves every position unshifted") << u"5"_qs << u"5"_qs << QPointF(0, 0);
    QTest::newRow("10 mm left moves everything 5 mm right") << u"10"_qs << u"5"_qs << QPointF(283.5, 0);
    QTest::newRow("margins that are not numbers count as 0") << QString() << u"上"_qs << QPointF(-283.5, -283.5);
}

void TestRecordPrint::margins()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(QPointF, shift);

    RecordingCanvas canvas;
    recordWith(withSection(MedicalRecordForm::Treatment, numberedLines(12).join(u"\r\n"_qs)), left, top).draw(canvas);
    for (const RecordingCanvas::Text &text : canvas.texts())
        QCOMPARE(text.atTwips, text.at + shift);
    for (const RecordingCanvas::Line &line : canvas.lines())
        QCOMPARE(line.fromTwips, line.from + shift);
    QCOMPARE(canvas.findText(u"处理第10行"_qs)->atTwips, QPointF(1080, lineTop(0)) + shift);
}

void TestRecordPrint::overfullSections_data()
{
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QList<Section>>("overfull");

    QTest::newRow("an empty record") << QStringList() << QList<Section>();
    QTest::newRow("现病史 of five lines") << withSection(MedicalRecordForm::PresentIllness, u"一\n二\n三\n四\n五"_qs)
                                      << QList<Section>{MedicalRecordForm::PresentIllness};
    QTest::newRow("体检 of three lines and a line break") << withSection(MedicalRecordForm::Examination, u"一\r\n二\r\n三\r\n"_qs)
                                                   << QList<Section>();
    QTest::newRow("体检 of four lines") << withSection(MedicalRecordForm::Examination, u"一\r\n二\r\n三\r\n四"_qs)
                                     << QList<Section>{MedicalRecordForm::Examination};
    // 5700 twips from the text's left to the end of the ruled line: 25 characters of 11.25 pt.
    QTest::newRow("主诉 filling its ruled line") << withSection(MedicalRecordForm::ChiefComplaint, QString(25, u'咳'))
                                            << QList<Section>();
    QTest::newRow("主诉 wider than its ruled line") << withSection(MedicalRecordForm::ChiefComplaint, QString(26, u'咳'))
                                              << QList<Section>{MedicalRecordForm::ChiefComplaint};
    QTest::newRow("a long treatment goes on over pages")
        << withSection(MedicalRecordForm::Treatment, numberedLines(40).join(u'\n')) << QList<Section>();
    QStringList both = withSection(MedicalRecordForm::PresentIllness, u"一\n二\n三\n四"_qs);
    both[MedicalRecordForm::Diagnosis] = QString(30, u'炎');
    QTest::newRow("two sections, in their order") << both
                                                 << QList<Section>{MedicalRecordForm::PresentIllness, MedicalRecordForm::Diagnosis};
}

void TestRecordPrint::overfullSections()
{
    QFETCH(QStringList, sections);
    QFETCH(QList<Section>, overfull);
    QCOMPARE(recordWith(sections).overfullSections(), overfull);
}

QTEST_MAIN(TestRecordPrint)
#include "tst_recordprint.moc"
