// libFuzzer target for the workbook reader; built and run by tools/fuzz-xlsx-read.
#include "FuzzXlsxRead.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString failure = FuzzXlsxReadOne(reinterpret_cast<const char*>(data), size);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "property failed: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
