// A counting malloc for the benchmark binary (glibc, dynamically linked, no
// sanitizer): every allocation of the process goes through these functions,
// which forward to glibc's own and, while counting is on, count allocations
// and the net change of live bytes. Allocations made inside an outside
// component (the ISP replacement, the video module, the host's file object and
// device root) are counted apart, so that the controller's own are known.
// Without SENSORDLL_BENCH_HEAP_COUNT nothing is replaced and nothing counted.
#include "Probe.h"

#include <atomic>

#ifdef SENSORDLL_BENCH_HEAP_COUNT

#include <errno.h>
#include <malloc.h>
#include <stddef.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(size_t);
void __libc_free(void*);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
}

namespace {

std::atomic<bool> g_bCounting(false);
std::atomic<long long> g_nAllocations(0);
std::atomic<long long> g_nOutside(0);
std::atomic<long long> g_nInResolve(0);
std::atomic<long long> g_nLiveBytes(0);

// The flag is read first: before counting starts no thread-local state is
// touched, so allocations during start-up and thread creation are safe.
bool counting() { return g_bCounting.load(std::memory_order_relaxed) && !bench::detail::heapIgnored(); }

void noteAllocation(void* p_pBlock) {
    if (p_pBlock == nullptr || !counting()) return;
    g_nAllocations.fetch_add(1, std::memory_order_relaxed);
    const bool bRootJoin = bench::detail::takeRootJoin();
    if (bRootJoin || bench::detail::heapOutside()) g_nOutside.fetch_add(1, std::memory_order_relaxed);
    if (bRootJoin || bench::detail::heapInResolve()) g_nInResolve.fetch_add(1, std::memory_order_relaxed);
    g_nLiveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p_pBlock)), std::memory_order_relaxed);
}

void noteRelease(void* p_pBlock) {
    if (p_pBlock == nullptr || !counting()) return;
    g_nLiveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p_pBlock)), std::memory_order_relaxed);
}

}  // namespace

extern "C" {

void* malloc(size_t p_nSize) {
    void* pBlock = __libc_malloc(p_nSize);
    noteAllocation(pBlock);
    return pBlock;
}

void free(void* p_pBlock) {
    noteRelease(p_pBlock);
    __libc_free(p_pBlock);
}

void* calloc(size_t p_nCount, size_t p_nSize) {
    void* pBlock = __libc_calloc(p_nCount, p_nSize);
    noteAllocation(pBlock);
    return pBlock;
}

void* realloc(void* p_pBlock, size_t p_nSize) {
    noteRelease(p_pBlock);
    void* pResized = __libc_realloc(p_pBlock, p_nSize);
    if (pResized != nullptr)
        noteAllocation(pResized);
    else if (p_nSize != 0 && p_pBlock != nullptr && counting())
        g_nLiveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p_pBlock)), std::memory_order_relaxed);
    return pResized;
}

void* memalign(size_t p_nAlignment, size_t p_nSize) {
    void* pBlock = __libc_memalign(p_nAlignment, p_nSize);
    noteAllocation(pBlock);
    return pBlock;
}

void* aligned_alloc(size_t p_nAlignment, size_t p_nSize) { return memalign(p_nAlignment, p_nSize); }

int posix_memalign(void** p_ppBlock, size_t p_nAlignment, size_t p_nSize) {
    if (p_nAlignment < sizeof(void*) || (p_nAlignment & (p_nAlignment - 1)) != 0) return EINVAL;
    void* pBlock = memalign(p_nAlignment, p_nSize);
    if (pBlock == nullptr) return ENOMEM;
    *p_ppBlock = pBlock;
    return 0;
}

void* valloc(size_t p_nSize) { return memalign(static_cast<size_t>(sysconf(_SC_PAGESIZE)), p_nSize); }

}  // extern "C"

namespace bench {

bool heapCountingAvailable() { return true; }

void heapCountingStart() {
    g_nAllocations = 0;
    g_nOutside = 0;
    g_nInResolve = 0;
    g_nLiveBytes = 0;
    g_bCounting = true;
}

HeapCount heapCountingStop() {
    g_bCounting = false;
    HeapCount stCount;
    stCount.allocations = g_nAllocations;
    stCount.allocationsOutside = g_nOutside;
    stCount.allocationsInResolve = g_nInResolve;
    stCount.liveBytes = g_nLiveBytes;
    return stCount;
}

}  // namespace bench

#else

namespace bench {

bool heapCountingAvailable() { return false; }

void heapCountingStart() {}

HeapCount heapCountingStop() { return HeapCount(); }

}  // namespace bench

#endif
