// Host framework replacement: the mutex and its scoped guard.
#ifndef ZTHOST_ZTMUTEX_H
#define ZTHOST_ZTMUTEX_H

#include <pthread.h>

// A non-recursive mutex. Debug builds use an error-checking mutex, so that a
// second Lock by the owning thread is caught instead of deadlocking.
class ZTMutex {
public:
    ZTMutex();
    ~ZTMutex();
    ZTMutex(const ZTMutex&) = delete;
    ZTMutex& operator=(const ZTMutex&) = delete;

    // The caller passes its own source file and line, for the report when a
    // lock fails. Both return 0 on success.
    int Lock(const char* p_szFile, int p_nLine);
    int Unlock(const char* p_szFile, int p_nLine);

private:
    pthread_mutex_t m_mutex;
};

// Locks on construction, unlocks on every exit path.
class ZTMutexManager {
public:
    ZTMutexManager(ZTMutex& p_objMutex, const char* p_szFile, int p_nLine);
    ~ZTMutexManager();
    ZTMutexManager(const ZTMutexManager&) = delete;
    ZTMutexManager& operator=(const ZTMutexManager&) = delete;

private:
    ZTMutex& m_objMutex;
    const char* m_szFile;
    int m_nLine;
    // A refused Lock (a second one by the owner) must not unlock the owner's hold.
    bool m_bLocked;
};

#endif
