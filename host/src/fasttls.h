// fasttls.h -- the thread-local model of the stand-in host's per-call caches.
//
// The host library is built position-independent, so by default every
// thread_local is reached through __tls_get_addr: a call, around which the
// compiler keeps the evaluate path's floating-point arguments in memory. The
// library is only ever linked into programs (never opened later), so the
// initial-exec model holds and each access is one load from the thread
// pointer.
#pragma once

#if defined(__ELF__) && defined(__GNUC__)
#define STANDIN_FAST_TLS __attribute__((tls_model("initial-exec")))
#else
#define STANDIN_FAST_TLS
#endif
