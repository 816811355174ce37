#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include "prescription/safety/safetywarning.h"

// What every way of printing a prescription (打印, 打印输液卡, the print button of 打印预览) does
// about its safety warnings. Red warnings make the physician answer a question whose default is
// 否; printing anyway is kept with the prescription and the printout asks for the physician's
// second signature under the body, as the prescription rules require for over-doses and
// incompatible herbs.
class PrintDecision
{
public:
    static PrintDecision of(const QList<SafetyWarning> &warnings);

    // Whether the physician must be asked before anything is printed.
    bool mustAsk() const { return !m_red.isEmpty(); }
    // The question, listing the red warnings one to a line.
    QString question() const;
    // Whether the prescription printout carries the second-signature line.
    bool needsSecondSignature() const { return mustAsk(); }
    // One line for the prescription's record of printing anyway: the time and the warnings.
    QString overrideEntry(const QDateTime &when) const;

    static QString secondSignatureLine();

private:
    QList<SafetyWarning> m_red;
};
