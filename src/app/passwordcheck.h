#pragma once

#include <QString>

// The login comparison: blind to letter case and to spaces around either text.
bool passwordMatches(const QString &entry, const QString &stored);
// The hint "(原始密码：905)" shows only while the stored password is exactly the initial one.
bool showsInitialPasswordHint(const QString &stored);
