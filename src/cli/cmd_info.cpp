// velamor-cli info FILE: imports a picture as a picture position holds it
// (reduced to the memory ceiling) and prints "WIDTH HEIGHT BITCOUNT".

#include "cli.h"
#include "uException.h"
#include "uZRDib.h"

#include <cstdio>

int CmdInfo(const QStringList& args) {
    if (args.size() != 1) {
        std::fputs("Aufruf: velamor-cli info DATEI\n", stderr);
        return 2;
    }
    try {
        TZRDib dib;
        dib.LoadFromFile(args.at(0));
        std::printf("%d %d %d\n", dib.Width(), dib.Height(), dib.BitCount());
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
