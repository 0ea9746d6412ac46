// Lets a test alter what the ISP replacement hands back, to stand for an ISP
// whose replies break its own bounds. This test program's ia_ioctrl_v2 stands
// in front of the replacement's: it forwards every call and then, while a
// tamper is set, lets it rewrite the reply.
#ifndef SENSORDLL_TESTS_STYLE_ISP_REPLY_TAMPER_H
#define SENSORDLL_TESTS_STYLE_ISP_REPLY_TAMPER_H

#include <functional>

#include "ia_ioctrl.h"

namespace isptamper {

typedef std::function<void(int p_nCmd, unsigned int p_nOption, void* p_pData)> Tamper;

// Set for the life of the object.
class Scoped {
public:
    explicit Scoped(const Tamper& p_fnTamper);
    ~Scoped();
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
};

}  // namespace isptamper

#endif
