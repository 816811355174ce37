#include "text/textboxlines.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Asking the layout for a block's rectangle makes it lay that block out if it has not yet.
QTextLayout *laidOut(const QTextDocument *document, const QTextBlock &block)
{
    document->documentLayout()->blockBoundingRect(block);
    return block.layout();
}

int displayedLines(const QTextDocument *document, const QTextBlock &block)
{
    const QTextLayout *layout = laidOut(document, block);
    return layout && layout->lineCount() > 0 ? layout->lineCount() : 1;
}

// Line k of a block already laid out.
QString displayedLine(const QTextBlock &block, int k)
{
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return block.text();
    const QTextLine textLine = layout->lineAt(k);
    return block.text().mid(textLine.textStart(), textLine.textLength());
}

} // namespace

TextBoxLines::TextBoxLines(const QTextDocument *document)
    : m_document(document)
{
}

int TextBoxLines::count() const
{
    int lines = 0;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next())
        lines += displayedLines(m_document, block);
    return qMax(lines, 1);
}

QString TextBoxLines::line(int k) const
{
    if (k < 0)
        return QString();
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const int lines = displayedLines(m_document, block);
        if (k >= lines) {
            k -= lines;
            continue;
        }
        return displayedLine(block, k);
    }
    return QString();
}

QStringList TextBoxLines::lines() const
{
    QStringList shown;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const int lines = displayedLines(m_document, block);
        for (int k = 0; k < lines; ++k)
            shown.append(displayedLine(block, k));
    }
    if (shown.isEmpty())
        shown.append(QString());
    return shown;
}

QString textBoxLine(const QTextDocument *document, int k)
{
    return TextBoxLines(document).line(k);
}
