// The host mutex on pthreads and its scoped guard.
#include "ZTMutex.h"

#include <stdio.h>
#include <string.h>

namespace {

void reportFailure(const char* p_szOperation, int p_nError, const char* p_szFile, int p_nLine) {
    fprintf(stderr, "ZTMutex::%s failed (%s) at %s:%d\n", p_szOperation, strerror(p_nError),
            p_szFile != nullptr ? p_szFile : "?", p_nLine);
}

}  // namespace

ZTMutex::ZTMutex() {
#ifdef ZTHOST_ERRORCHECK_MUTEX
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ERRORCHECK);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
#else
    pthread_mutex_init(&m_mutex, nullptr);
#endif
}

ZTMutex::~ZTMutex() { pthread_mutex_destroy(&m_mutex); }

int ZTMutex::Lock(const char* p_szFile, int p_nLine) {
    const int nError = pthread_mutex_lock(&m_mutex);
    if (nError != 0) reportFailure("Lock", nError, p_szFile, p_nLine);
    return nError;
}

int ZTMutex::Unlock(const char* p_szFile, int p_nLine) {
    const int nError = pthread_mutex_unlock(&m_mutex);
    if (nError != 0) reportFailure("Unlock", nError, p_szFile, p_nLine);
    return nError;
}

ZTMutexManager::ZTMutexManager(ZTMutex& p_objMutex, const char* p_szFile, int p_nLine)
    : m_objMutex(p_objMutex), m_szFile(p_szFile), m_nLine(p_nLine), m_bLocked(false) {
    m_bLocked = m_objMutex.Lock(m_szFile, m_nLine) == 0;
}

ZTMutexManager::~ZTMutexManager() {
    if (m_bLocked) m_objMutex.Unlock(m_szFile, m_nLine);
}
