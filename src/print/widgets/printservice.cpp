#include "print/widgets/printservice.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "print/paintercanvas.h"
#include "print/pdfexport.h"

namespace {

QString shownTitle(const PrintJob &job)
{
    return job.title.isEmpty() ? QStringLiteral("打印内容") : job.title;
}

} // namespace

PrintService::PrintService(const PrinterSelection &printers, const PrintPrompts &prompts)
    : m_printers(printers)
    , m_prompts(prompts)
{
    Q_ASSERT(m_prompts.confirm && m_prompts.pdfPath && m_prompts.inform);
}

PrinterSelection PrintService::systemPrinters()
{
    return PrinterSelection(QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName());
}

QString PrintService::suggestedPdfPath(const QString &title)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f])"));
    QString name = title.trimmed();
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("打印内容");
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

PrintService::Result PrintService::print(const PrintJob &job) const
{
    const QString name = m_printers.resolve(job.printerName);
    if (name.isEmpty())
        return saveAsPdf(job);

    QPrinter printer(QPrinter::HighResolution);
    const QString problem = preparePrinter(printer, name, job);
    if (!problem.isEmpty())
        return fail(problem);
    PainterCanvas canvas(&printer);
    canvas.run(job.layout);
    if (!canvas.ok())
        return fail(QStringLiteral("“%1”没有打印完：%2").arg(shownTitle(job), canvas.errorMessage()));
    if (canvas.pagesStarted() == 0)
        return fail(QStringLiteral("“%1”没有可打印的内容。").arg(shownTitle(job)));
    return {Outcome::Printed, QString(), QString()};
}

void PrintService::preview(const PrintJob &job, QWidget *parent, const std::function<bool()> &beforePrinting) const
{
    QPrinter printer(QPrinter::HighResolution);
    const QString name = m_printers.resolve(job.printerName);
    // Without a printer the preview still shows the page; its print button then offers a PDF file.
    if (!name.isEmpty() && !preparePrinter(printer, name, job).isEmpty())
        printer.setPrinterName(QString());
    printer.setPageOrientation(job.orientation);
    printer.setDocName(shownTitle(job));

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览 - %1").arg(shownTitle(job)));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this, &job](QPrinter *target) {
        PainterCanvas canvas(target);
        canvas.run(job.layout);
        if (!canvas.ok())
            m_prompts.inform(QStringLiteral("“%1”没有画完：%2").arg(shownTitle(job), canvas.errorMessage()));
    });
    if (beforePrinting && !guardPrintButton(dialog, job, beforePrinting))
        return;
    dialog.exec();
}

bool PrintService::guardPrintButton(QPrintPreviewDialog &dialog, const PrintJob &job,
                                    const std::function<bool()> &beforePrinting) const
{
    // The dialog's own print action, found by the caption Qt gives it in the language in use.
    const QString caption = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    QAction *printAction = nullptr;
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->text() == caption)
            printAction = action;
    }
    // Without it there must be no way round the question: it is asked before the preview opens.
    if (!printAction)
        return beforePrinting();
    QObject::disconnect(printAction, &QAction::triggered, nullptr, nullptr);
    QObject::connect(printAction, &QAction::triggered, &dialog, [this, &dialog, &job, beforePrinting] {
        if (!beforePrinting())
            return;
        if (!QMetaObject::invokeMethod(&dialog, "_q_print")) {
            print(job);
            dialog.accept();
        }
    });
    return true;
}

QString PrintService::preparePrinter(QPrinter &printer, const QString &name, const PrintJob &job) const
{
    printer.setPrinterName(name);
    if (printer.printerName() != name || printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid())
        return QStringLiteral("打印机“%1”无法使用，请检查它是否已连接并开启。").arg(name);
    printer.setPageOrientation(job.orientation);
    printer.setDocName(shownTitle(job));
    return QString();
}

PrintService::Result PrintService::saveAsPdf(const PrintJob &job) const
{
    const QString question = QStringLiteral("这台电脑没有安装打印机，无法打印“%1”。\n要把它保存为PDF文件吗？")
                                 .arg(shownTitle(job));
    if (!m_prompts.confirm(question))
        return {Outcome::Cancelled, QString(), QString()};
    QString path = m_prompts.pdfPath(suggestedPdfPath(job.title));
    if (path.isEmpty())
        return {Outcome::Cancelled, QString(), QString()};
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const WriteResult written = PdfExport::write(path, job);
    if (!written.ok)
        return fail(written.message);
    return {Outcome::SavedAsPdf, QString(), path};
}

PrintService::Result PrintService::fail(const QString &message) const
{
    m_prompts.inform(message);
    return {Outcome::Failed, message, QString()};
}
