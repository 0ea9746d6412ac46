// Host framework replacement: a thread that calls its body again and again.
#ifndef ZTHOST_GTHREAD_H
#define ZTHOST_GTHREAD_H

#include <string>

#include "function.h"

class GThread {
public:
    // p_objBody is called repeatedly on the new thread between start and stop;
    // p_objOnStart runs once on the thread before the first body call,
    // p_objOnStop once after the last.
    GThread(const function<int>& p_objBody, const std::string& p_strName, const function<int>& p_objOnStart,
            const function<int>& p_objOnStop);
    virtual ~GThread();
    GThread(const GThread&) = delete;
    GThread& operator=(const GThread&) = delete;

    // Non-zero on success; a second start while running fails.
    int start();
    // Non-zero on success. Returns once the body has finished its current
    // call and will not be called again. Stopping a thread that is not
    // running succeeds and does nothing.
    int stop();

    static int emptyFun();

private:
    struct Impl;
    Impl* m_pImpl;
};

#endif
