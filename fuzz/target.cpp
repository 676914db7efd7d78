// One libFuzzer target; LENTARA_FUZZ_TARGET names the entry it drives.
#include <cstddef>
#include <cstdint>

#include "fuzz/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    lentara_fuzz::Run(LENTARA_FUZZ_TARGET, data, size);
    return 0;
}
