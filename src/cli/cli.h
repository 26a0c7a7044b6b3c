#pragma once
// Subcommands of velamor-cli. Each answers the process exit code: 0 success,
// 1 failure (message on stderr), 2 wrong arguments.

#include <QStringList>

int CmdVersion(const QStringList& args);
int CmdThumbstore(const QStringList& args);
