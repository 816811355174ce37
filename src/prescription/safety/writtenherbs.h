#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "prescription/safety/safetyitem.h"

// The herbs of a Chinese prescription body as a pharmacist reads them: each name with the quantity
// and unit that follow it, in grams written g, 克, mg, 毫克, kg or 千克, or counted in 枚, 条, 个.
// The layout of the body knows fewer units ("甘草 6克" is no herb item to it); the safety check
// must not fall silent because of the way a dose is written.
struct WrittenHerbs
{
    static WrittenHerbs read(const QString &body);

    QList<SafetyItem> herbs;
    // Usage lines ("用法：水煎服 每日1剂"), and the lines after the last herb that are no usage.
    QStringList usageLines;
    QStringList otherLines;
};
