#include "data/sqlrow.h"

#include <QDate>
#include <QRegularExpression>

#include "data/storabletext.h"

namespace {

// Texts are stored as texts: an empty field is written as "", never as NULL.
QVariant storable(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = storableText(value.toString());
    return text.isNull() ? QString(u""_qs) : text;
}

} // namespace

SqlRow::SqlRow(const TableDefinition &table)
    : m_table(&table)
{
}

SqlRow &SqlRow::set(const QString &column, const QVariant &value)
{
    const ColumnDefinition *definition = m_table->column(column);
    Q_ASSERT_X(definition, "SqlRow::set", qPrintable(m_table->name() + QLatin1Char('.') + column));
    QVariant clean = storable(value);
    // A date column holds a date or nothing: an empty field is no date.
    if (definition && definition->kind == ColumnDefinition::Kind::Date && clean.typeId() == QMetaType::QString && clean.toString().isEmpty())
        clean = QVariant();
    for (auto &entry : m_values) {
        if (entry.first == column) {
            entry.second = clean;
            return *this;
        }
    }
    m_values.append({column, clean});
    return *this;
}

SqlRow &SqlRow::setClipped(const QString &column, const QString &text)
{
    const int width = m_table->width(column);
    const QString clean = storableText(text);
    // The width counts characters, not UTF-16 units.
    const QList<uint> characters = clean.toUcs4();
    if (width <= 0 || characters.size() <= width)
        return set(column, clean);
    return set(column, QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()), width));
}

QStringList SqlRow::columns() const
{
    QStringList names;
    for (const auto &entry : m_values)
        names.append(entry.first);
    return names;
}

QVariant SqlRow::value(const QString &column) const
{
    for (const auto &entry : m_values) {
        if (entry.first == column)
            return entry.second;
    }
    return QVariant();
}

QString SqlRow::insertSql() const
{
    return ::insertSql(m_table->name(), columns());
}

QString SqlRow::updateSql(const QString &where) const
{
    QStringList assignments;
    for (const auto &entry : m_values)
        assignments.append(quotedName(entry.first) + QStringLiteral(" = ?"));
    return QStringLiteral("update %1 set %2 where %3").arg(quotedName(m_table->name()), assignments.join(QStringLiteral(", ")), where);
}

QVariantList SqlRow::values() const
{
    QVariantList values;
    for (const auto &entry : m_values)
        values.append(entry.second);
    return values;
}

WriteResult SqlRow::checkWidths(const std::function<QString(const QString &)> &caption) const
{
    for (const auto &entry : m_values) {
        const ColumnDefinition *column = m_table->column(entry.first);
        // A date is "yyyy-mm-dd" or nothing: the file's CHECK refuses anything else, and the
        // server's date type would quietly read other forms (or drop a time of day).
        if (column && column->kind == ColumnDefinition::Kind::Date && !entry.second.isNull()
            && entry.second.typeId() != QMetaType::QDate) {
            static const QRegularExpression isoDate(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)"));
            const QString text = entry.second.toString();
            if (!isoDate.match(text).hasMatch() || !QDate::fromString(text, Qt::ISODate).isValid()) {
                const QString name = caption ? caption(entry.first) : QString();
                return WriteResult::failure(QStringLiteral("保存失败：“%1”不是有效的日期（格式应为yyyy-mm-dd）。")
                                                .arg(name.isEmpty() ? entry.first : name));
            }
            continue;
        }
        const int width = m_table->width(entry.first);
        if (width <= 0 || entry.second.typeId() != QMetaType::QString)
            continue;
        // The database counts characters, not UTF-16 units.
        if (entry.second.toString().toUcs4().size() > width) {
            const QString name = caption ? caption(entry.first) : QString();
            return WriteResult::tooLong(name.isEmpty() ? entry.first : name, width);
        }
    }
    return WriteResult::success();
}
