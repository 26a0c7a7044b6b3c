#pragma once
// Subcommands of velamor-cli. Each answers the process exit code: 0 success,
// 1 failure (message on stderr), 2 wrong arguments.

#include <QStringList>

int CmdVersion(const QStringList& args);
// info FILE: "WIDTH HEIGHT BITCOUNT" of the picture as a position holds it.
int CmdInfo(const QStringList& args);
// convert FILE OUT.bmp [--keep-size]: the imported picture as a bitmap file.
int CmdConvert(const QStringList& args);
// The printer list, the default marked.
int CmdPrinters(const QStringList& args);
// Prints a sheet of a template filled with picture files.
int CmdPrint(const QStringList& args);
int CmdThumbstore(const QStringList& args);
// The catalogue of paper templates as a table or, with --json, as JSON.
int CmdTemplates(const QStringList& args);
