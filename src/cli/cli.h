#pragma once
// Subcommands of velamor-cli. Each answers the process exit code: 0 success,
// 1 failure (message on stderr), 2 wrong arguments.

#include <QStringList>

int CmdVersion(const QStringList& args);
// info FILE: "WIDTH HEIGHT BITCOUNT" of the picture as a position holds it.
int CmdInfo(const QStringList& args);
// convert FILE OUT.bmp [--keep-size]: the imported picture as a bitmap file.
int CmdConvert(const QStringList& args);
int CmdThumbstore(const QStringList& args);
