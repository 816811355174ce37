#include "scriptedprintuser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "print/cjkfonts.h"
#include "print/printerselection.h"
#include "print/widgets/printservice.h"

Q_DECLARE_METATYPE(PrintService::Outcome)

namespace {

PrintJob prescriptionJob(int *drawn = nullptr)
{
    PrintJob job;
    job.title = QStringLiteral("处方笺");
    job.printerName = QStringLiteral("处方打印机");
    job.layout = [drawn](PrinterCanvas &canvas) {
        if (drawn)
            ++*drawn;
        canvas.setCurrentX(1000);
        canvas.setCurrentY(1000);
        canvas.print(QStringLiteral("门诊处方笺"));
    };
    return job;
}

} // namespace

class TestPrintService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resolvePrinter_data();
    void resolvePrinter();
    void withoutPrinterOffersPdf_data();
    void withoutPrinterOffersPdf();
    void unusablePrinterIsReported();
    void suggestedPdfPath_data();
    void suggestedPdfPath();
    void previewDrawsTheLayoutInItsOrientation();
};

void TestPrintService::initTestCase()
{
    CjkFonts::installSubstitutions();
}

void TestPrintService::resolvePrinter_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("systemDefault");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    const QStringList two = {QStringLiteral("HP LaserJet"), QStringLiteral("EPSON LQ-630K")};
    QTest::newRow("chosen and installed") << two << two.first() << two.last() << two.last();
    QTest::newRow("none chosen takes the default") << two << two.last() << QString() << two.last();
    QTest::newRow("chosen but gone takes the default") << two << two.last() << QStringLiteral("旧打印机") << two.last();
    QTest::newRow("name in other case") << two << two.first() << QStringLiteral("epson lq-630k") << two.last();
    QTest::newRow("no default takes the first") << two << QString() << QStringLiteral("旧打印机") << two.first();
    QTest::newRow("default not installed takes the first") << two << QStringLiteral("旧打印机") << QString() << two.first();
    QTest::newRow("nothing installed") << QStringList() << QString() << two.first() << QString();
}

void TestPrintService::resolvePrinter()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, systemDefault);
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(PrinterSelection(installed, systemDefault).resolve(chosen), expected);
}

void TestPrintService::withoutPrinterOffersPdf_data()
{
    QTest::addColumn<bool>("savePdf");
    QTest::addColumn<QString>("answeredPath");
    QTest::addColumn<PrintService::Outcome>("expected");
    QTest::addColumn<QString>("writtenFile");
    QTest::addColumn<QString>("shownMessage");
    QTest::newRow("declined") << false << QString() << PrintService::Outcome::Cancelled << QString() << QString();
    QTest::newRow("file dialog cancelled") << true << QString() << PrintService::Outcome::Cancelled << QString() << QString();
    QTest::newRow("saved") << true << QStringLiteral("处方.pdf") << PrintService::Outcome::SavedAsPdf
                           << QStringLiteral("处方.pdf") << QString();
    QTest::newRow("suffix added") << true << QStringLiteral("张三处方") << PrintService::Outcome::SavedAsPdf
                                  << QStringLiteral("张三处方.pdf") << QString();
    QTest::newRow("folder missing") << true << QStringLiteral("没有的文件夹/处方.pdf") << PrintService::Outcome::Failed
                                    << QString() << QStringLiteral("保存PDF失败");
}

void TestPrintService::withoutPrinterOffersPdf()
{
    QFETCH(bool, savePdf);
    QFETCH(QString, answeredPath);
    QFETCH(PrintService::Outcome, expected);
    QFETCH(QString, writtenFile);
    QFETCH(QString, shownMessage);

    QTemporaryDir dir;
    ScriptedPrintUser user;
    user.answer = [savePdf](const QString &) { return savePdf; };
    user.pdfPath = answeredPath.isEmpty() ? QString() : dir.filePath(answeredPath);
    const PrintService service(PrinterSelection(), user.prompts());
    const PrintService::Result result = service.print(prescriptionJob());

    QCOMPARE(result.outcome, expected);
    QCOMPARE(user.questions.size(), 1);
    QVERIFY(user.questions.first().contains(QStringLiteral("没有安装打印机")));
    QVERIFY(user.questions.first().contains(QStringLiteral("处方笺")));
    QCOMPARE(user.suggestedPaths.size(), savePdf ? 1 : 0);
    if (savePdf)
        QVERIFY(user.suggestedPaths.first().endsWith(QStringLiteral("/处方笺.pdf")));

    if (writtenFile.isEmpty()) {
        QVERIFY(result.pdfPath.isEmpty());
    } else {
        QCOMPARE(result.pdfPath, dir.filePath(writtenFile));
        QFile file(result.pdfPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }
    if (shownMessage.isEmpty()) {
        QVERIFY(user.messages.isEmpty());
        QVERIFY(result.message.isEmpty());
    } else {
        QCOMPARE(user.messages.size(), 1);
        QVERIFY2(user.messages.first().contains(shownMessage), qPrintable(user.messages.first()));
        QCOMPARE(result.message, user.messages.first());
    }
}

void TestPrintService::unusablePrinterIsReported()
{
    // Listed as installed, but the printing system does not know it (removed since the list was read).
    const QString name = QStringLiteral("已拔掉的打印机");
    ScriptedPrintUser user;
    const PrintService service(PrinterSelection({name}, name), user.prompts());
    int drawn = 0;
    const PrintService::Result result = service.print(prescriptionJob(&drawn));

    QCOMPARE(result.outcome, PrintService::Outcome::Failed);
    QCOMPARE(drawn, 0);
    QVERIFY(user.questions.isEmpty());
    QCOMPARE(user.messages.size(), 1);
    QVERIFY2(user.messages.first().contains(name), qPrintable(user.messages.first()));
}

void TestPrintService::suggestedPdfPath_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QStringLiteral("输液卡") << QStringLiteral("输液卡.pdf");
    QTest::newRow("separators and reserved characters") << QStringLiteral("处方/张三:2024*?") << QStringLiteral("处方_张三_2024__.pdf");
    QTest::newRow("empty") << QString() << QStringLiteral("打印内容.pdf");
}

void TestPrintService::suggestedPdfPath()
{
    QFETCH(QString, title);
    QFETCH(QString, fileName);
    QCOMPARE(QFileInfo(PrintService::suggestedPdfPath(title)).fileName(), fileName);
}

void TestPrintService::previewDrawsTheLayoutInItsOrientation()
{
    ScriptedPrintUser user;
    const PrintService service(PrinterSelection(), user.prompts());
    PrintJob job;
    job.title = QStringLiteral("门诊日志");
    job.orientation = QPageLayout::Landscape;
    int drawn = 0;
    bool landscape = false;
    bool wide = false;
    job.layout = [&](PrinterCanvas &canvas) {
        ++drawn;
        landscape = canvas.orientation() == QPageLayout::Landscape;
        wide = canvas.scaleWidth() > canvas.scaleHeight();
        canvas.print(QStringLiteral("门诊日志"));
    };

    QTimer closer;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (drawn == 0 && waited.elapsed() < 10000)
            return;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(widget); dialog && dialog->isVisible())
                dialog->reject();
        }
    });
    closer.start(20);
    service.preview(job, nullptr);

    QVERIFY(drawn > 0);
    QVERIFY(landscape);
    QVERIFY(wide);
    QVERIFY(user.messages.isEmpty());
}

QTEST_MAIN(TestPrintService)
#include "tst_printservice.moc"
