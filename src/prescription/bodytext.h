#pragma once

#include <QString>
#include <QStringList>

// The text rules of the prescription body that picking, pricing, printing and the template
// window share. A Chinese body is a run of herb items (name, quantity, unit "g", "枚", "条" or "个")
// laid out three to a line in 13-column cells, followed by an optional tail (charge items,
// instructions) that layout leaves alone. Widths count a Chinese (wide) character as 2 columns.
namespace BodyText {

// The four herb units; each of them ends a herb item.
const QString &herbUnits();

// The number that starts at the first digit of the text, in its shortest form ("0.25", "24");
// empty when the text has no digit.
QString firstNumber(const QString &text);
// The text without its digits 0–9; decimal points stay.
QString stripDigits(const QString &text);
// The herb name pricing looks up in an item such as "当归1.5" or "当归 10": without the digits
// and without a decimal point that belonged to the quantity.
QString herbName(const QString &item);

// Whether a line gives a usage: it holds "sig" in any letter case, or "用法".
bool isUsageLine(const QString &line);

// Display columns: 2 for a wide (East Asian) character, 1 for any other.
int displayWidth(const QString &text);
// The text padded with spaces to 13 columns; a text wider than 12 columns gets one space.
QString padHerbItem(const QString &text);
// The 1-based display column of a caret position on its line.
int caretColumn(const QString &text, int caret);

// The layout of a Chinese body: its herb items three to a line, an empty line between lines,
// then the tail; the caret belongs between the two, so the next herb goes in front of the tail.
struct HerbLayout
{
    QString text;
    int caret = 0;
    // The items as cut from the body (trimmed, line breaks removed), and the tail.
    QStringList items;
    QString tail;
};
HerbLayout reflowHerbs(const QString &body);

} // namespace BodyText
