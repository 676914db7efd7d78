// Heap allocations through operator new anywhere in the process, the loaded
// modules included, for tests linked with lentara_alloc_counter and built
// with ENABLE_EXPORTS.
#pragma once

long AllocationCount();
