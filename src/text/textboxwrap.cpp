#include "text/textboxwrap.h"

#include <QTextDocument>
#include <QTextOption>

#include "text/linebreaks.h"
#include "text/textboxlines.h"

QStringList TextBoxWrap::lines(const QString &text, const QFont &font, double textWidthPixels)
{
    // Laid out as a text box lays out its document: the box's font, no margin of its own (the box
    // keeps its margins outside the given width), breaking as the text boxes of the program do.
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(LineBreaks::shown(text));
    document.setTextWidth(textWidthPixels);

    return TextBoxLines(&document).lines();
}
