#pragma once

#include <QString>

class QWidget;

// At start-up, the old program's files in the data folder: explains what was found, asks
// "发现旧版数据库，是否转换？", and on yes converts with a progress window and shows the rows per
// table at the end. Declining touches nothing.
class OldDataOffer
{
public:
    // True when the files were converted and start-up can begin again.
    static bool run(const QString &dataFolder, const QString &explanation, QWidget *parent = nullptr);
};
