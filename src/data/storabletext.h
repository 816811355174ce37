#pragma once

#include <QString>

// The text a database keeps exactly: without NUL characters (SQLite's length() stops at the first
// one, so the width check would be fooled) and without unpaired surrogates (stored as another
// character). Every write cleans its texts this way, and so does the login comparison, so a
// password is always compared as it was stored.
QString storableText(const QString &text);
