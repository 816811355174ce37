#pragma once

#include <optional>

#include <QString>

#include "text/amount.h"

// A number as a user types or a spreadsheet cell holds it: Chinese input methods give full-width
// digits, point and comma, and price lists write thousands separators. The whole text must be the
// number, so that nothing else is ever stored in its place.
namespace TypedNumber {

// The text with full-width digits, point ("．", "。"), comma, plus and minus as their ASCII forms
// and the ideographic space as a blank.
QString asciiForm(const QString &text);
// The number the whole text is, blanks around it allowed: "1,280.50" (commas between groups of
// three digits only), "１２.５", "-5". Nothing for "5元", "12,5", "面议" or an empty text.
std::optional<Amount> read(const QString &text);
// The non-negative number the text is, or nothing with `refusal` (when given) saying why, naming
// the field by its caption.
std::optional<Amount> nonNegative(const QString &text, const QString &caption, QString *refusal);

} // namespace TypedNumber
