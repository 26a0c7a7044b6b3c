#include "cli.h"
#include "uVersion.h"

#include <cstdio>

int CmdVersion(const QStringList&) {
    std::puts(VELAMOR_VERSION_STRING);
    return 0;
}
