// The forwarding ia_ioctrl_v2 of this test program (see IspReplyTamper.h).
#include "IspReplyTamper.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace {

typedef int (*IoctrlFunction)(int, ia_cmd_e, unsigned int, void*);

std::mutex& tamperMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

isptamper::Tamper& currentTamper() {
    static isptamper::Tamper s_fnTamper;
    return s_fnTamper;
}

IoctrlFunction replacement() {
    static const IoctrlFunction s_pFunction =
        reinterpret_cast<IoctrlFunction>(dlsym(RTLD_NEXT, "ia_ioctrl_v2"));
    if (s_pFunction == nullptr) std::abort();
    return s_pFunction;
}

}  // namespace

namespace isptamper {

Scoped::Scoped(const Tamper& p_fnTamper) {
    std::lock_guard<std::mutex> guard(tamperMutex());
    currentTamper() = p_fnTamper;
}

Scoped::~Scoped() {
    std::lock_guard<std::mutex> guard(tamperMutex());
    currentTamper() = Tamper();
}

}  // namespace isptamper

extern "C" int ia_ioctrl_v2(int p_nChannel, ia_cmd_e p_eCmd, unsigned int p_nOption, void* p_pData) {
    const int nStatus = replacement()(p_nChannel, p_eCmd, p_nOption, p_pData);
    isptamper::Tamper fnTamper;
    {
        std::lock_guard<std::mutex> guard(tamperMutex());
        fnTamper = currentTamper();
    }
    if (fnTamper && nStatus == 0 && p_pData != nullptr) fnTamper(static_cast<int>(p_eCmd), p_nOption, p_pData);
    return nStatus;
}
