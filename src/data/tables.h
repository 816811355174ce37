#pragma once

#include <QList>

#include "data/databasekind.h"
#include "data/tabledefinition.h"

// Every stored table of the two database files, described once, in physical column order.
namespace Tables {

const TableDefinition &settings();   // 设置
const TableDefinition &archive();    // 档案
const TableDefinition &patients();   // 患者信息
const TableDefinition &catalogue();  // 商品
const TableDefinition &templates();  // 个人模板
const TableDefinition &diagnoses();  // 诊断
const TableDefinition &addresses();  // 地址
const TableDefinition &users();      // 用户
const TableDefinition &statistics(); // 统计 (the statistics file)
// 已删除: prescriptions and catalogue entries deleted by the user, kept whole for a while so that
// a deletion made by mistake can be undone. One row per deleted row: the table it came from and
// its columns as a JSON object (null for NULL), under one key per deletion.
const TableDefinition &deletedRows();

// The width of the figures a settlement computes (统计.数量 and 金额): an exact amount in
// millionths is at most 21 characters long.
constexpr int ComputedFigureWidth = 30;

// The tables of one database file, in creation order.
QList<const TableDefinition *> of(DatabaseKind kind);
// Those of them this program added to what the old program kept: a file the old program made
// lacks them until start-up adds them, and a conversion has nothing to bring over into them.
QList<const TableDefinition *> added(DatabaseKind kind);

} // namespace Tables
