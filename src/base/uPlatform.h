#pragma once
// Everything that differs between Windows and the other platforms lives behind
// these functions (and in uPlatform.cpp only).

#include <QFile>
#include <QString>

namespace Platform {
// The folder of the running program file, without trailing separator.
QString ProgramDir();
// The full path of the running program file.
QString ProgramFile();
// Case-insensitive match of a file name against a pattern such as "*.jpg",
// as Windows does on every platform.
bool MatchFileMask(const QString& fileName, const QString& mask);
// Locks an open file against every other process that asks for the same lock
// (the thumbnail store). Answers false when another process holds it. The
// lock ends when the file is closed.
bool LockFileExclusive(QFile& file);
} // namespace Platform
