// The printed prescription: a full Chinese sheet (header, 24 herbs three to a row, notes, a tail)
// and a Western one with a wrapped paragraph, drawn to a PDF file (fonts embedded, text layer
// repaired, written and renamed) and to the recording canvas; the form's display lines included.
#include "benchlocation.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "prescription/infusioncardform.h"
#include "prescription/prescriptionform.h"
#include "prescription/prescriptionsheet.h"
#include "print/cjkfonts.h"
#include "print/pdfexport.h"
#include "print/recordingcanvas.h"

namespace {

void fillHeader(PrescriptionSheet &sheet)
{
    const PrescriptionSheet::LoadingScope loading(sheet);
    const QStringList values = {
        QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("35岁"), QStringLiteral("内科"),
        QStringLiteral("青山镇东街12号 13800000000"), QStringLiteral("2024-03-01"), QStringLiteral("感冒 咳嗽"),
        QStringLiteral("李明"), QStringLiteral("王芳"), QStringLiteral("86.40"), QString(), QString(),
        QStringLiteral("20240301093005"), QStringLiteral("未发现"), QStringLiteral("自费"), QStringLiteral("5.00"),
        QStringLiteral("91.40"), QStringLiteral("王芳"),
    };
    for (int i = 0; i < PrescriptionSheet::FieldCount; ++i)
        sheet.setField(i, values.at(i));
}

QString herbBody()
{
    const QStringList herbs = {QStringLiteral("当归[酒洗]10g"), QStringLiteral("川芎6g"), QStringLiteral("白芍10g"),
                               QStringLiteral("熟地黄15g"), QStringLiteral("黄芪30g"), QStringLiteral("党参15g"),
                               QStringLiteral("白术10g"), QStringLiteral("茯苓15g"), QStringLiteral("甘草6g"),
                               QStringLiteral("大枣5枚"), QStringLiteral("生姜3片 陈皮6g"), QStringLiteral("砂仁[后下]6g")};
    QStringList rows;
    for (int i = 0; i + 2 < 24; i += 3)
        rows << herbs.at(i % 12) + QStringLiteral("  ") + herbs.at((i + 1) % 12) + QStringLiteral("  ") + herbs.at((i + 2) % 12)
             << QString();
    rows << QStringLiteral("每日一剂 水煎分两次温服") << QStringLiteral("煎药费 1次");
    return rows.join(QStringLiteral("\r\n"));
}

QString westernBody()
{
    return QStringLiteral("1. 阿莫西林胶囊 0.25g×24粒\r\n用法：每次2粒 每日3次 口服\r\n"
                          "2. 复方甘草口服溶液 100ml×1瓶 每次10ml 每日三次 饭后服用 服药期间忌食辛辣油腻食物\r\n"
                          "3. 5%葡萄糖注射液 250ml\r\n维生素C注射液 2g\r\nsig: ivgtt qd");
}

PrescriptionForm::Settings settings()
{
    return {QStringLiteral("青山镇卫生院"), {10, 20}, {QStringLiteral("宋体"), 14}};
}

void BM_PrescriptionPdf(benchmark::State &state)
{
    PrescriptionSheet sheet;
    fillHeader(sheet);
    const bool chinese = state.range(0) == 1;
    sheet.setKind(chinese ? PrescriptionKind::Chinese : PrescriptionKind::Western,
                  chinese ? SheetGeometry::BodyPlacement::ChineseNarrow : SheetGeometry::BodyPlacement::Western);
    sheet.setBody(chinese ? herbBody() : westernBody());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("处方.pdf"));
    for (auto _ : state) {
        const PrescriptionForm form(sheet, settings());
        const WriteResult written = PdfExport::write(path, form.printJob(QString()));
        if (!written.ok)
            state.SkipWithError(qPrintable(written.message));
    }
}

void BM_PrescriptionRecording(benchmark::State &state)
{
    PrescriptionSheet sheet;
    fillHeader(sheet);
    sheet.setKind(PrescriptionKind::Chinese, SheetGeometry::BodyPlacement::ChineseNarrow);
    sheet.setBody(herbBody());
    for (auto _ : state) {
        const PrescriptionForm form(sheet, settings());
        RecordingCanvas canvas;
        canvas.run(form.layout());
        benchmark::DoNotOptimize(form.bodyTooLong());
        benchmark::DoNotOptimize(canvas.texts().size());
    }
}

void BM_InfusionCardPdf(benchmark::State &state)
{
    PrescriptionSheet sheet;
    fillHeader(sheet);
    sheet.setBody(westernBody());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("输液卡.pdf"));
    for (auto _ : state) {
        const InfusionCardForm card(sheet, {5, 5});
        const WriteResult written = PdfExport::write(path, card.printJob(QString()));
        if (!written.ok)
            state.SkipWithError(qPrintable(written.message));
    }
}

} // namespace

BENCHMARK(BM_PrescriptionPdf)->Arg(0)->Arg(1)->ArgName("chinese")->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_PrescriptionRecording)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_InfusionCardPdf)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    // Fonts need a GUI application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    CjkFonts::installSubstitutions();
    return runBenchmarks(argc, argv);
}
