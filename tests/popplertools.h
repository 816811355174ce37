#pragma once

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Reads back the PDF files the program writes through poppler's pdfinfo and pdftotext, as a
// reader of the file would see them; a tool that is missing or fails gives empty output.
inline QString runPopplerTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline bool hasPoppler()
{
    return !QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty() && !QStandardPaths::findExecutable(u"pdfinfo"_qs).isEmpty();
}

inline int pdfPageCount(const QString &path)
{
    const QRegularExpressionMatch pages = QRegularExpression(u"Pages:\\s+(\\d+)"_qs).match(runPopplerTool(u"pdfinfo"_qs, {path}));
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// "w x h" in points of one page as pdfinfo reports it.
inline QSizeF pdfPageSize(const QString &path, int page)
{
    const QString info = runPopplerTool(u"pdfinfo"_qs, {u"-f"_qs, QString::number(page), u"-l"_qs, QString::number(page), path});
    const QRegularExpressionMatch size = QRegularExpression(u"Page\\s+\\d+\\s+size:\\s+([\\d.]+) x ([\\d.]+)"_qs).match(info);
    return size.hasMatch() ? QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()) : QSizeF();
}

// pdftotext's UTF-8 text of the file, with its own options first (e.g. "-layout").
inline QString pdfText(const QString &path, const QStringList &options = {})
{
    return runPopplerTool(u"pdftotext"_qs, options + QStringList{u"-enc"_qs, u"UTF-8"_qs, path, u"-"_qs});
}

inline QString pdfPageText(const QString &path, int page)
{
    return pdfText(path, {u"-f"_qs, QString::number(page), u"-l"_qs, QString::number(page)});
}

// The text with every blank removed, so letter-spaced captions compare as written.
inline QString pdfTextWithoutBlanks(const QString &path)
{
    return pdfText(path).remove(QRegularExpression(u"\\s"_qs));
}

// The box of a word on a page, in points from the page's top-left corner.
inline QRectF pdfWordBox(const QString &path, const QString &word, int page = 1)
{
    const QString html = pdfText(path, {u"-bbox"_qs, u"-f"_qs, QString::number(page), u"-l"_qs, QString::number(page)});
    const QRegularExpression pattern(u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">%1</word>"_qs
                                         .arg(QRegularExpression::escape(word)));
    const QRegularExpressionMatch box = pattern.match(html);
    if (!box.hasMatch())
        return QRectF();
    return QRectF(QPointF(box.captured(1).toDouble(), box.captured(2).toDouble()),
                  QPointF(box.captured(3).toDouble(), box.captured(4).toDouble()));
}
