#pragma once

#include <QString>

// Where the program looks for its data on this platform. On Windows: drives C: and D: and the
// shares of other computers (\\N\电子处方数据库). On Linux: the user's home directory stands for
// drive C:, there is no drive D:, and another computer's share is mounted at /mnt/N/电子处方数据库.
// Tests pass temporary folders for all three.
struct DriveLayout
{
    QString cRoot;
    QString dRoot;       // empty: no drive D:
    QString networkRoot; // a computer N's share is networkRoot/N/电子处方数据库
    // Chosen on the command line: the data folder itself, wherever the drives are.
    QString dataFolder;

    static DriveLayout forThisComputer();

    QString remoteFolder(const QString &computerName) const;
    // The backup root: always on drive C:, wherever the data lives; for a chosen data folder the
    // folder of the same name with 备份 appended beside it, so two clinics never share weekday copies.
    QString backupRoot() const;
};
