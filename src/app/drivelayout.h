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

    static DriveLayout forThisComputer();

    QString remoteFolder(const QString &computerName) const;
    // The backup root: always on drive C:, wherever the data lives.
    QString backupRoot() const;
};
