#pragma once

#include <QByteArray>
#include <QString>

// A short text that is the same on every run on one computer and begins every prescription
// key, so two computers sharing one database never produce the same key in the same second.
QString installationPrefix(const QByteArray &machineId);
QString installationPrefix();
