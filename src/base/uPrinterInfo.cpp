#include "uPrinterInfo.h"

#include <atomic>

namespace {
std::atomic<IPrinterInfo*> g_printerInfo{nullptr};
}

IPrinterInfo* CurrentPrinterInfo() {
    return g_printerInfo.load();
}

void SetCurrentPrinterInfo(IPrinterInfo* info) {
    g_printerInfo.store(info);
}
