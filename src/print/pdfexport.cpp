#include "print/pdfexport.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QMarginsF>
#include <QPdfWriter>
#include <QSaveFile>

#include "print/paintercanvas.h"
#include "print/pdftextrepair.h"

WriteResult PdfExport::write(const QString &path, const PrintJob &job)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty() || QFileInfo(path).isDir())
        return WriteResult::failure(QStringLiteral("保存PDF失败：没有给出文件名。"));

    // Drawn in memory first: the text layer is repaired before the file is written.
    QByteArray pdf;
    bool drawn = false;
    QString drawError;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(Resolution);
        writer.setTitle(job.title);
        writer.setCreator(QStringLiteral("Quillon 电子处方"));
        writer.setPageLayout(QPageLayout(job.pdfPageSize, job.orientation, QMarginsF(0, 0, 0, 0)));
        PainterCanvas canvas(&writer);
        canvas.run(job.layout);
        drawn = canvas.pagesStarted() > 0;
        drawError = canvas.errorMessage();
    }
    if (!drawError.isEmpty())
        return WriteResult::failure(QStringLiteral("保存PDF失败：%1").arg(drawError));
    if (!drawn || pdf.isEmpty())
        return WriteResult::failure(QStringLiteral("保存PDF失败：没有可保存的内容。"));
    pdf = PdfTextRepair::repaired(pdf);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::failure(QStringLiteral("保存PDF失败：无法创建文件“%1”（%2）。").arg(shown, file.errorString()));
    if (file.write(pdf) != pdf.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return WriteResult::failure(QStringLiteral("保存PDF失败：文件“%1”没有写完（%2）。").arg(shown, reason));
    }
    if (!file.commit())
        return WriteResult::failure(QStringLiteral("保存PDF失败：文件“%1”没有写完（%2）。").arg(shown, file.errorString()));
    return WriteResult::success();
}
