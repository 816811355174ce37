#pragma once

#include <QList>
#include <QStringList>

#include "prescription/drugline.h"
#include "prescription/prescriptionsaver.h"

class PrescriptionPricer;
class PrescriptionSheet;
class StatisticsRepository;

// "划价结算" and "撤消结算": price the body into the sheet, mark it settled, save it and write its
// statistics lines; or take the settlement back. The prescription and its statistics lines change
// together or not at all (the statistics repository works through the archive's connection), and
// when nothing was stored the sheet shows again what it showed before.
class Settlement
{
public:
    struct Result
    {
        // The save, or why nothing was stored (a catalogue that could not be read included).
        PrescriptionSaver::Result save;
        // Whether statistics were written (a settled prescription with a name and a date).
        bool statisticsWritten = false;
        // Every problem to show, in Chinese, one per entry.
        QStringList messages() const;
    };

    Settlement(PrescriptionSheet &sheet, PrescriptionPricer &pricer, PrescriptionSaver &saver, StatisticsRepository &statistics);

    Result settle();
    Result cancel();

private:
    // What a settlement changes on the sheet, to show again when nothing was stored.
    struct Shown
    {
        QList<DrugLine> lines;
        QString settledMark;
        QString drugFee;
        QString otherFee;
        QString total;
        QString grandTotal;
    };
    Shown shown() const;
    void show(const Shown &before);

    PrescriptionSheet &m_sheet;
    PrescriptionPricer &m_pricer;
    PrescriptionSaver &m_saver;
    StatisticsRepository &m_statistics;
};
