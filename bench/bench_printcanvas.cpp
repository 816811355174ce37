// One printed page of about 80 texts and 40 lines, as a prescription or a log book page: drawn to a
// PDF file (fonts embedded, text layer repaired, written and renamed) and to the recording canvas.
#include "benchlocation.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "print/cjkfonts.h"
#include "print/pdfexport.h"
#include "print/recordingcanvas.h"

namespace {

void logBookPage(PrinterCanvas &canvas)
{
    canvas.setScaleLeft(567 - 5 * 56.7);
    canvas.setScaleTop(567 - 5 * 56.7);
    canvas.setFontName(CjkFonts::hei());
    canvas.setFontSize(16);
    canvas.setCurrentX(4000);
    canvas.setCurrentY(700);
    canvas.print(QStringLiteral("门诊日志"));
    canvas.setFontName(CjkFonts::song());
    canvas.setFontSize(10.5);
    const QStringList names = {QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王小明"), QStringLiteral("赵六")};
    const QStringList diagnoses = {QStringLiteral("上呼吸道感染"), QStringLiteral("急性胃肠炎"), QStringLiteral("高血压"),
                                   QStringLiteral("支气管炎")};
    for (int row = 0; row < 20; ++row) {
        const double y = 1500 + row * 600;
        canvas.setDrawWidth(row == 0 ? 2 : 1);
        canvas.line(567, y - 60, 11000, y - 60);
        canvas.line(567 + row * 500, 1440, 567 + row * 500, 13440);
        canvas.setCurrentX(600);
        canvas.setCurrentY(y);
        canvas.print(QString::number(row + 1), PrinterCanvas::LineFeed::No);
        canvas.setCurrentX(1200);
        canvas.print(names.at(row % names.size()), PrinterCanvas::LineFeed::No);
        canvas.setCurrentX(2800);
        canvas.print(diagnoses.at(row % diagnoses.size()), PrinterCanvas::LineFeed::No);
        canvas.setCurrentX(6000);
        canvas.print(QStringLiteral("阿莫西林胶囊 0.25g×24粒 %1元").arg(12.5 + row, 0, 'f', 2));
    }
    canvas.print(QStringLiteral("合计：20人次"));
}

void BM_PdfPage(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("门诊日志.pdf"));
    PrintJob job;
    job.title = QStringLiteral("门诊日志");
    job.layout = logBookPage;
    for (auto _ : state) {
        const WriteResult written = PdfExport::write(path, job);
        if (!written.ok)
            state.SkipWithError(qPrintable(written.message));
    }
}

void BM_RecordingPage(benchmark::State &state)
{
    for (auto _ : state) {
        RecordingCanvas canvas;
        canvas.run(logBookPage);
        benchmark::DoNotOptimize(canvas.texts().size());
    }
}

} // namespace

BENCHMARK(BM_PdfPage)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_RecordingPage)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    // Fonts need a GUI application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    CjkFonts::installSubstitutions();
    return runBenchmarks(argc, argv);
}
