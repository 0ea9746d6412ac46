// Support of the reference-counted callable: its counts and its one error.
#include "function.h"

#include <stdio.h>

ZTRuntimeError::ZTRuntimeError(const std::string& p_strMessage) : std::runtime_error(p_strMessage) {}

ref_count::ref_count() : m_nCount(1) {}

void ref_count::addRef() { m_nCount.fetch_add(1, std::memory_order_relaxed); }

bool ref_count::release() {
    // acq_rel: the last holder must see every other holder's use of the object.
    return m_nCount.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

ref_count* RefCountManager::create() { return new ref_count(); }

void RefCountManager::addRef(ref_count* p_pCount) {
    if (p_pCount != nullptr) p_pCount->addRef();
}

bool RefCountManager::release(ref_count* p_pCount) {
    if (p_pCount == nullptr || !p_pCount->release()) return false;
    delete p_pCount;
    return true;
}

void reportNullCallable(const char* p_szTypeName, const char* p_szMessage) {
    const char* szMessage = p_szMessage != nullptr ? p_szMessage : "";
    printf("SafePointer Report:%s %s\n", p_szTypeName != nullptr ? p_szTypeName : "", szMessage);
    fflush(stdout);
    throw ZTRuntimeError(szMessage);
}
