#include "data/sqlfunctions.h"

#include <sqlite3.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include "text/amount.h"

namespace {

struct DecimalSum
{
    std::int64_t millionths;
    bool any;
};

void decimalSumStep(sqlite3_context *context, int, sqlite3_value **values)
{
    auto *sum = static_cast<DecimalSum *>(sqlite3_aggregate_context(context, sizeof(DecimalSum)));
    if (!sum)
        return sqlite3_result_error_nomem(context);
    if (sqlite3_value_type(values[0]) == SQLITE_NULL)
        return;
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(values[0]));
    const int bytes = sqlite3_value_bytes(values[0]);
    if (!text || bytes == 0)
        return;
    sum->any = true;
    sum->millionths += Amount::leadingNumber(QString::fromUtf8(text, bytes)).millionths();
}

void decimalSumFinal(sqlite3_context *context)
{
    // A zero-sized request returns the state only when a step made it.
    const auto *sum = static_cast<DecimalSum *>(sqlite3_aggregate_context(context, 0));
    if (!sum || !sum->any)
        return sqlite3_result_null(context);
    const QByteArray text = Amount::fromMillionths(sum->millionths).toShortest().toUtf8();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

} // namespace

bool registerSqlFunctions(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection)
        return false;
    return sqlite3_create_function_v2(connection, "decimal_sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                      decimalSumStep, decimalSumFinal, nullptr)
        == SQLITE_OK;
}
