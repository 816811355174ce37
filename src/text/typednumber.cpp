#include "text/typednumber.h"

#include <QRegularExpression>

namespace TypedNumber {

QString asciiForm(const QString &text)
{
    QString ascii = text;
    for (QChar &c : ascii) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'．' || u == u'。')
            c = u'.';
        else if (u == u'，')
            c = u',';
        else if (u == u'－')
            c = u'-';
        else if (u == u'＋')
            c = u'+';
        else if (u == u'\u3000')
            c = u' ';
    }
    return ascii;
}

std::optional<Amount> read(const QString &text)
{
    const QString ascii = asciiForm(text).trimmed();
    // Commas only between groups of three digits: "12,5" is a decimal comma somewhere else and
    // would read as a number ten times too large.
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d{1,3}(,\d{3})+|\d+)?(\.\d*)?$)"));
    const QRegularExpressionMatch match = number.match(ascii);
    if (!match.hasMatch() || !ascii.contains(QRegularExpression(QStringLiteral("\\d"))))
        return std::nullopt;
    // Beyond twelve whole digits no price or quantity of a clinic is meant; reading on would overflow.
    const QString whole = match.captured(1).remove(u',');
    if (whole.size() > 12)
        return std::nullopt;
    return Amount::leadingNumber(QString(ascii).remove(u','));
}

std::optional<Amount> nonNegative(const QString &text, const QString &caption, QString *refusal)
{
    const std::optional<Amount> value = read(text);
    if (!value) {
        if (refusal)
            *refusal = QStringLiteral("“%1”不是数字（“%2”），请填写数字，如“12.5”。").arg(caption, text.trimmed());
        return std::nullopt;
    }
    if (value->isNegative()) {
        if (refusal)
            *refusal = QStringLiteral("“%1”不能是负数（“%2”）。").arg(caption, text.trimmed());
        return std::nullopt;
    }
    return value;
}

} // namespace TypedNumber
