#pragma once

#include <QString>
#include <QStringList>

class QTextDocument;

// A multi-line text box read the way it shows its text: a paragraph that the box wraps
// counts as several lines, so pricing and printouts break lines where the screen does.
// The document must belong to the box (its layout carries the box's width and font).
class TextBoxLines
{
public:
    explicit TextBoxLines(const QTextDocument *document);

    // Number of displayed lines; an empty box shows one (empty) line.
    int count() const;
    // The text of displayed line k (from 0); empty beyond the last line.
    QString line(int k) const;
    // Every displayed line, in order.
    QStringList lines() const;

private:
    const QTextDocument *m_document;
};

// The free-function form that the rest of the program calls.
QString textBoxLine(const QTextDocument *document, int k);
