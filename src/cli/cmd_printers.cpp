// velamor-cli printers: the printer list, the system's default marked "*".

#include "cli.h"
#include "uPrinter.h"

#include <cstdio>

int CmdPrinters(const QStringList& args) {
    if (!args.isEmpty()) {
        std::fputs("Aufruf: velamor-cli printers\n", stderr);
        return 2;
    }
    TPrinter& printer = Printer();
    const QStringList names = printer.Printers();
    const int def = printer.DefaultIndex();
    for (int i = 0; i < int(names.size()); ++i) {
        printer.SetPrinterIndex(i);
        std::printf("%s %s\t%s\t%s\n", i == def ? "*" : " ", qPrintable(names[i]),
                    qPrintable(printer.DriverName()), qPrintable(printer.PortName()));
    }
    printer.SetPrinterIndex(def);
    return 0;
}
