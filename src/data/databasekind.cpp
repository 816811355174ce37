#include "data/databasekind.h"

QString databaseFileName(DatabaseKind kind)
{
    return kind == DatabaseKind::Main ? QStringLiteral("数据库.dat") : QStringLiteral("用药统计.dat");
}

QStringList requiredTables(DatabaseKind kind)
{
    if (kind == DatabaseKind::Stats)
        return {QStringLiteral("统计")};
    return {QStringLiteral("设置"), QStringLiteral("档案"), QStringLiteral("患者信息"), QStringLiteral("商品"),
            QStringLiteral("个人模板"), QStringLiteral("诊断"), QStringLiteral("地址"), QStringLiteral("用户")};
}
