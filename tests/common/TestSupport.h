#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole file; empty when it cannot be read.
QByteArray ReadWholeFile(const QString& fileName);
// Writes bytes to a file, creating its folder; fails the calling test through a return value.
bool WriteWholeFile(const QString& fileName, const QByteArray& bytes);
