#pragma once

#include "data/writeresult.h"
#include "prescription/prescriptionsaver.h"

class PrescriptionPricer;
class PrescriptionSheet;
class StatisticsRepository;

// "划价结算" and "撤消结算": price the body into the sheet, mark it settled, save it and write its
// statistics lines; or take the settlement back. The statistics live in another file, so their
// write is a step of its own: when it fails the user is told, and settling again repairs it.
class Settlement
{
public:
    struct Result
    {
        PrescriptionSaver::Result save;
        // Whether statistics were written (a settled prescription with a name and a date).
        bool statisticsWritten = false;
        WriteResult statistics;
        // Every problem to show, in Chinese, one per entry.
        QStringList messages() const;
    };

    Settlement(PrescriptionSheet &sheet, PrescriptionPricer &pricer, PrescriptionSaver &saver, StatisticsRepository &statistics);

    Result settle();
    Result cancel();

private:
    PrescriptionSheet &m_sheet;
    PrescriptionPricer &m_pricer;
    PrescriptionSaver &m_saver;
    StatisticsRepository &m_statistics;
};
