#include "data/tables.h"

namespace {

using Kind = ColumnDefinition::Kind;

ColumnDefinition text(const QString &name, int width)
{
    return {name, Kind::Text, width};
}

ColumnDefinition memo(const QString &name)
{
    return {name, Kind::Memo, 0};
}

ColumnDefinition date(const QString &name)
{
    return {name, Kind::Date, 0};
}

QList<ColumnDefinition> texts(const QStringList &names, int width)
{
    QList<ColumnDefinition> columns;
    for (const QString &name : names)
        columns.append(text(name, width));
    return columns;
}

QList<ColumnDefinition> numbered(int from, int to)
{
    QList<ColumnDefinition> columns;
    for (int i = from; i <= to; ++i)
        columns.append(text(QString::number(i), 50));
    return columns;
}

} // namespace

namespace Tables {

const TableDefinition &settings()
{
    static const TableDefinition table(QStringLiteral("设置"),
        QList<ColumnDefinition>{text(QStringLiteral("密码"), 20)}
            + texts({QStringLiteral("单位名称"), QStringLiteral("医师"), QStringLiteral("科别"), QStringLiteral("发药人"),
                     QStringLiteral("备用1"), QStringLiteral("备用2"), QStringLiteral("备用3")}, 50)
            + texts({QStringLiteral("左边距"), QStringLiteral("上边距")}, 10)
            + QList<ColumnDefinition>{text(QStringLiteral("自动打印"), 5)}
            + texts({QStringLiteral("默认打印机"), QStringLiteral("处方打印机")}, 50)
            + texts({QStringLiteral("左边距1"), QStringLiteral("上边距1"), QStringLiteral("左边距2"), QStringLiteral("上边距2")}, 10)
            + texts({QStringLiteral("打印机2"), QStringLiteral("打印机3")}, 50)
            + QList<ColumnDefinition>{text(QStringLiteral("费别"), 10), text(QStringLiteral("处方字体"), 20),
                                      text(QStringLiteral("处方字号"), 5), text(QStringLiteral("日志上边距"), 5),
                                      text(QStringLiteral("日志左边距"), 5)});
    return table;
}

const TableDefinition &archive()
{
    static const TableDefinition table = [] {
        QList<ColumnDefinition> columns = {text(QStringLiteral("序号"), 50)};
        columns += numbered(0, 4);
        columns[columns.size() - 2] = text(QStringLiteral("3"), 10);
        columns.append(date(QStringLiteral("5")));
        columns += numbered(6, 22);
        columns += {memo(QStringLiteral("T1")), memo(QStringLiteral("T2")), memo(QStringLiteral("T3"))};
        columns += numbered(23, 40);
        columns += {memo(QStringLiteral("T4")), memo(QStringLiteral("T5")), text(QStringLiteral("类别"), 5),
                    text(QStringLiteral("发药"), 20), memo(QStringLiteral("计价")), memo(QStringLiteral("病历")),
                    text(QStringLiteral("剂数"), 5)};
        // The name and the date serve the history list and the outpatient log; the settled mark
        // with the id finds settled prescriptions without reading their rows.
        return TableDefinition(QStringLiteral("档案"), columns,
                               {QStringLiteral("序号"), QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("发药,序号")},
                               QStringLiteral("序号"));
    }();
    return table;
}

const TableDefinition &patients()
{
    static const TableDefinition table(QStringLiteral("患者信息"),
        {text(QStringLiteral("序号"), 50), text(QStringLiteral("姓名"), 20), text(QStringLiteral("性别"), 5),
         text(QStringLiteral("年龄"), 12), text(QStringLiteral("医疗证号"), 50), text(QStringLiteral("电话"), 20),
         text(QStringLiteral("住址"), 50), text(QStringLiteral("备用1"), 50), text(QStringLiteral("备用2"), 50),
         text(QStringLiteral("费别"), 10), text(QStringLiteral("诊断"), 50), text(QStringLiteral("过敏史"), 20)},
        // Every save looks its patient up by key.
        {QStringLiteral("序号")});
    return table;
}

const TableDefinition &catalogue()
{
    static const TableDefinition table(QStringLiteral("商品"),
        {text(QStringLiteral("ID号"), 50), text(QStringLiteral("查询"), 200), text(QStringLiteral("用法"), 50),
         text(QStringLiteral("名称"), 100), text(QStringLiteral("拼音"), 50), text(QStringLiteral("单位"), 10),
         text(QStringLiteral("常用量"), 50), text(QStringLiteral("单价"), 50), text(QStringLiteral("备用1"), 50),
         text(QStringLiteral("备用2"), 50), text(QStringLiteral("备用3"), 50), text(QStringLiteral("分类"), 50),
         text(QStringLiteral("斗位"), 10)},
        {QStringLiteral("ID号"), QStringLiteral("名称")});
    return table;
}

const TableDefinition &templates()
{
    static const TableDefinition table(QStringLiteral("个人模板"),
        {text(QStringLiteral("序号"), 50), text(QStringLiteral("名称"), 50), memo(QStringLiteral("内容")),
         text(QStringLiteral("拼音"), 50), text(QStringLiteral("查询"), 50), text(QStringLiteral("分类"), 10),
         text(QStringLiteral("排序"), 10)});
    return table;
}

const TableDefinition &diagnoses()
{
    static const TableDefinition table(QStringLiteral("诊断"),
        texts({QStringLiteral("名称"), QStringLiteral("拼音"), QStringLiteral("序号")}, 50),
        {QStringLiteral("名称"), QStringLiteral("序号")});
    return table;
}

const TableDefinition &addresses()
{
    static const TableDefinition table(QStringLiteral("地址"),
        texts({QStringLiteral("名称"), QStringLiteral("拼音"), QStringLiteral("序号")}, 50), {QStringLiteral("序号")});
    return table;
}

const TableDefinition &users()
{
    static const TableDefinition table(QStringLiteral("用户"),
        {text(QStringLiteral("工号"), 10), text(QStringLiteral("姓名"), 20), text(QStringLiteral("密码"), 20),
         text(QStringLiteral("科别"), 10), text(QStringLiteral("备用"), 50)},
        {QStringLiteral("姓名")});
    return table;
}

const TableDefinition &statistics()
{
    static const TableDefinition table(QStringLiteral("统计"),
        // Quantity and amount are computed by the settlement: room for any figure it can produce
        // (a herb's 12.5 g × 99 doses is 1237.5; the longest is 21 characters).
        {text(QStringLiteral("ID号"), 50), text(QStringLiteral("名称"), 50), text(QStringLiteral("数量"), ComputedFigureWidth),
         text(QStringLiteral("单位"), 5), text(QStringLiteral("单价"), 10), text(QStringLiteral("金额"), ComputedFigureWidth),
         text(QStringLiteral("斗位"), 5), text(QStringLiteral("分类"), 10), text(QStringLiteral("备用1"), 200),
         text(QStringLiteral("备用2"), 200), date(QStringLiteral("日期")), text(QStringLiteral("医师"), 20)},
        // The drug-usage statistics read a date range.
        {QStringLiteral("ID号"), QStringLiteral("日期")});
    return table;
}

const TableDefinition &deletedRows()
{
    static const TableDefinition table(QStringLiteral("已删除"),
        {text(QStringLiteral("序号"), 50), text(QStringLiteral("类别"), 10), text(QStringLiteral("删除时间"), 20),
         text(QStringLiteral("表名"), 20), memo(QStringLiteral("内容"))},
        // Undo finds a deletion by its key; the list and the purge read by time.
        {QStringLiteral("序号"), QStringLiteral("删除时间")});
    return table;
}

QList<const TableDefinition *> of(DatabaseKind kind)
{
    if (kind == DatabaseKind::Stats)
        return {&statistics()};
    return {&settings(), &archive(), &patients(), &catalogue(), &templates(), &diagnoses(), &addresses(), &users(), &deletedRows()};
}

QList<const TableDefinition *> added(DatabaseKind kind)
{
    if (kind == DatabaseKind::Stats)
        return {};
    return {&deletedRows()};
}

} // namespace Tables
