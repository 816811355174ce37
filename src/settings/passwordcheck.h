#pragma once

#include <QString>

// The password comparison of the login and of the password change: blind to letter case and to
// spaces around either text, and blind to characters the database cannot keep.
bool passwordMatches(const QString &entry, const QString &stored);
// The hint "(原始密码：905)" shows only while the stored password is exactly the initial one.
bool showsInitialPasswordHint(const QString &stored);
