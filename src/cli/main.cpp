// velamor-cli: the program's core functions without a window.
//
// Each subcommand lives in a file of its own (cmd_*.cpp) and is listed in the
// table below.

#include "cli.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
    const char* usage;
};

const Command kCommands[] = {
    {"version", CmdVersion, "version"},
    {"info", CmdInfo, "info DATEI"},
    {"convert", CmdConvert, "convert DATEI AUSGABE.bmp [--keep-size]"},
    {"templates", CmdTemplates, "templates [--json]"},
    {"printers", CmdPrinters, "printers"},
    {"print", CmdPrint,
     "print --template N (--printer NAME | --pdf AUSGABE.pdf) [--offset X,Y] [--copies N] "
     "[--autorotate] DATEI..."},
    {"thumbstore", CmdThumbstore,
     "thumbstore put SPEICHER BILDPFAD DATENDATEI [--time T] [--info B,H,BPP] | get SPEICHER "
     "BILDPFAD AUSGABEDATEI"},
};

void PrintUsage() {
    std::fputs("Aufruf: velamor-cli BEFEHL [ARGUMENTE]\nBefehle:\n", stderr);
    for (const Command& c : kCommands)
        std::fprintf(stderr, "  %s\n", c.usage);
}

} // namespace

int main(int argc, char** argv) {
    // Painting into images and PDFs needs a Gui application; it never opens a
    // window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage();
        return 2;
    }
    const QString name = args.takeFirst();
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    std::fprintf(stderr, "Unbekannter Befehl: %s\n", qPrintable(name));
    PrintUsage();
    return 2;
}
