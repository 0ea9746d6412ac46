// Host framework replacement: a reference-counted callable returning R, the
// form in which GThread takes its body.
#ifndef ZTHOST_FUNCTION_H
#define ZTHOST_FUNCTION_H

#include <atomic>
#include <stdexcept>
#include <string>

// The host's one exception: a callable built from an empty object.
class ZTRuntimeError : public std::runtime_error {
public:
    explicit ZTRuntimeError(const std::string& p_strMessage);
};

// Shared counts of the callables, one per held object.
class ref_count {
public:
    ref_count();
    void addRef();
    // True when this was the last reference.
    bool release();

private:
    std::atomic<int> m_nCount;
};

class RefCountManager {
public:
    static ref_count* create();
    static void addRef(ref_count* p_pCount);
    // True when the held object is to be destroyed.
    static bool release(ref_count* p_pCount);
};

// Prints "SafePointer Report:<type> <message>" on standard output and throws
// ZTRuntimeError with the message.
[[noreturn]] void reportNullCallable(const char* p_szTypeName, const char* p_szMessage);

template <typename R>
class callable_object {
public:
    virtual ~callable_object() {}
    virtual R call() = 0;
};

template <typename R, typename T>
class funcobj0 : public callable_object<R> {
public:
    funcobj0(T* p_pObject, R (T::*p_pMember)()) : m_pObject(p_pObject), m_pMember(p_pMember) {}
    R call() override { return (m_pObject->*m_pMember)(); }

private:
    T* m_pObject;
    R (T::*m_pMember)();
};

template <typename R>
class plainfunc0 : public callable_object<R> {
public:
    explicit plainfunc0(R (*p_pFunction)()) : m_pFunction(p_pFunction) {}
    R call() override { return m_pFunction(); }

private:
    R (*m_pFunction)();
};

// Binds an object and one of its member functions without arguments. An empty
// object or member gives a null result, which function<R> refuses.
template <typename R, typename T>
callable_object<R>* bind_funcobj0(T* p_pObject, R (T::*p_pMember)()) {
    if (p_pObject == nullptr || p_pMember == nullptr) return nullptr;
    return new funcobj0<R, T>(p_pObject, p_pMember);
}

template <typename R>
class function {
public:
    // Holds a plain function; a null function throws ZTRuntimeError
    // ("Construct from NULL original pointer").
    function(R (*p_pFunction)()) : m_pObject(nullptr), m_pCount(nullptr) {
        if (p_pFunction == nullptr) reportNullCallable(typeName(), "Construct from NULL original pointer");
        m_pObject = new plainfunc0<R>(p_pFunction);
        m_pCount = RefCountManager::create();
    }
    // Takes ownership of a bound object; a null object throws ZTRuntimeError
    // ("Construct from NULL <T>pointer").
    function(callable_object<R>* p_pObject) : m_pObject(p_pObject), m_pCount(nullptr) {
        if (p_pObject == nullptr) reportNullCallable(typeName(), "Construct from NULL <T>pointer");
        m_pCount = RefCountManager::create();
    }
    function(const function& p_objOther) : m_pObject(p_objOther.m_pObject), m_pCount(p_objOther.m_pCount) {
        RefCountManager::addRef(m_pCount);
    }
    function& operator=(const function& p_objOther) {
        if (this != &p_objOther) {
            RefCountManager::addRef(p_objOther.m_pCount);
            drop();
            m_pObject = p_objOther.m_pObject;
            m_pCount = p_objOther.m_pCount;
        }
        return *this;
    }
    ~function() { drop(); }

    R operator()() const { return m_pObject->call(); }

    static const char* typeName() { return "function<R>"; }

private:
    void drop() {
        if (m_pCount != nullptr && RefCountManager::release(m_pCount)) delete m_pObject;
    }

    callable_object<R>* m_pObject;
    ref_count* m_pCount;
};

#endif
