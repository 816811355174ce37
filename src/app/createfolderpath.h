#pragma once

#include <QString>

// Makes sure every folder along the path exists, creating each missing level in turn; folder
// names keep leading spaces (" 星期一"). Returns whether the whole path exists afterwards.
bool createFolderPath(const QString &path);
