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

// The width of the figures a settlement computes (统计.数量 and 金额): an exact amount in
// millionths is at most 21 characters long.
constexpr int ComputedFigureWidth = 30;

// The tables of one database file, in creation order.
QList<const TableDefinition *> of(DatabaseKind kind);

} // namespace Tables
