#pragma once

#include <QString>
#include <QStringList>

// The lines of the nurse's infusion/injection card, picked out of a prescription body: the body
// is cut into groups that each end with a usage line (one holding "sig" in any letter case, or
// "用法"), and every group whose usage line names an injection or infusion route is copied.
class InfusionCardLines
{
public:
    // The route keywords in the order they are tested; the test ignores letter case, so "H" also
    // finds the "h" of a frequency such as q8h.
    static const QStringList &routeKeywords();

    // The card text: the copied lines, each followed by CR LF.
    static QString fromBody(const QString &body);
};
