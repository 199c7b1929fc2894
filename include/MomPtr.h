// The module-object layer: modules loaded at run time by name, objects asked for
// interfaces by name, and the smart pointer that holds one interface of such an
// object.
//
// A loadable module "Name" is the file "Name.mo" and exports
//     extern "C" IModule* GetModule(void* libraryHandle);
// Its root object answers the interface key "I" + Name + "Module". Every other object
// answers the keys of the interfaces it implements; a key is the interface's type name
// in dotted form ("IPartitionEntry", "ns.Nested").
#pragma once

#include <cassert>
#include <typeinfo>

// Root interface of every object of a loaded module. Interfaces derived from it
// declare their own operations after these five.
class IObject {
public:
    // The object answering the interface named by key, or null. Adds no reference.
    virtual IObject* GetInterface(const char* key) = 0;
    virtual unsigned long Release() = 0;
    virtual unsigned long AddRef() = 0;
    // Two operations that nothing in this system calls; modules answer them as they like.
    virtual unsigned long ObjectReserved3() = 0;
    virtual unsigned long ObjectReserved4() = 0;

    template <class T>
    T* GetInterfaceT(const char* key)
    {
        return static_cast<T*>(GetInterface(key));
    }

protected:
    ~IObject() {}
};

// The root object a module hands out from GetModule. Its first operation is the same
// query by name as IObject::GetInterface.
class IModule : public IObject {
protected:
    ~IModule() {}
};

typedef IModule* (*MomGetModuleFn)(void* libraryHandle);

// Longest module name the loader accepts (characters at positions 0 to 255).
constexpr unsigned long kMomMaxModuleName = 256;
// Size of the static key buffer of each interface type.
constexpr unsigned long kMomKeyBufferSize = 256;

// Calls fn(handle) inside a catch-all; null fn or any exception gives null.
IModule* CallGetModule(MomGetModuleFn fn, void* handle);
// Loads the file, looks up "GetModule" and calls it. A library without "GetModule" is
// unloaded again; after a successful load the library stays loaded for good.
IModule* OpenModuleFromFile(const char* file);
// Loads name + ".mo" through the platform loader's search rules.
IModule* OpenModuleEx(const char* name);
// Builds "I" + name + "Module" into out (capacity size); false when the name is null
// or too long.
bool MomModuleInterfaceName(const char* name, char* out, unsigned long size);

// Turns a compiler type name (Itanium ABI mangled form) into its dotted key. size is
// the capacity of out and is only read. Returns 0 when nothing fits (out is then the
// empty text when it has room for one byte), otherwise the position in out where the
// key's last component begins.
unsigned long MomGetTypeName_(const char* mangled, char* out, unsigned long& size);
// The same key from the Windows compiler's type name ("class A::B" -> "A.B"). A name
// that begins with neither "class " nor "struct " gives no key (result 0, out empty).
unsigned long MomGetWindowsTypeName_(const char* name, char* out, unsigned long& size);

// The key of interface T, computed once per run into a static buffer that is always
// terminated. Initialisation is thread-safe (function-local static).
template <class T>
const char* MomGetTypeNameT()
{
    struct KeyBuffer {
        char text[kMomKeyBufferSize];
        KeyBuffer()
        {
            unsigned long size = sizeof(text);
            text[0] = '\0';
            MomGetTypeName_(typeid(T).name(), text, size); // empties text when the key does not fit
            text[sizeof(text) - 1] = '\0';
        }
    };
    static const KeyBuffer buffer;
    return buffer.text;
}

template <class T>
const char* MomGetInterfaceNameT(T*)
{
    return MomGetTypeNameT<T>();
}

// Loads module name and returns its root's answer to "I" + name + "Module". The root
// object is never released; the library stays loaded.
template <class T>
T* OpenModuleT(const char* name)
{
    IModule* root = OpenModuleEx(name);
    if (root == nullptr)
        return nullptr;
    char key[2 * kMomMaxModuleName];
    if (!MomModuleInterfaceName(name, key, sizeof(key)))
        return nullptr;
    return static_cast<T*>(root->GetInterface(key));
}

// Short-lived guard returned by CMomPtr::operator->.
template <class T>
class MomWardObject_ {
public:
    explicit MomWardObject_(T* p) : p_(p) {}
    T* operator->() const { return p_; }

private:
    T* p_;
};

template <class T, class Ward = MomWardObject_<T>>
class CMomPtrWard {
public:
    explicit CMomPtrWard(T* p) : ward_(p) {}
    T* operator->() const { return ward_.operator->(); }

private:
    Ward ward_;
};

template <class T, class Ward = CMomPtrWard<T>>
class CMomPtrBase {
public:
    CMomPtrBase() : p_(nullptr) {}
    CMomPtrBase(const CMomPtrBase&) = delete;
    CMomPtrBase& operator=(const CMomPtrBase&) = delete;
    ~CMomPtrBase()
    {
        if (p_ != nullptr)
            p_->Release();
    }

    // Holds source's interface T with one reference on source. The new reference is
    // taken before the old one is dropped, so that re-targeting to another interface
    // of the object already held never destroys it half-way.
    T* SetIObject(IObject* source)
    {
        if (source != nullptr && source == static_cast<IObject*>(p_))
            return p_;
        if (source == nullptr && p_ == nullptr)
            return p_;
        T* taken = nullptr;
        if (source != nullptr) {
            taken = source->template GetInterfaceT<T>(MomGetTypeNameT<T>());
            source->AddRef();
            if (taken == nullptr)
                source->Release(); // nobody else holding it: destroyed here, as callers expect
        }
        T* old = p_;
        p_ = taken;
        if (old != nullptr)
            old->Release();
        return p_;
    }

    Ward operator->() const
    {
        assert(p_ != 0 && "p!=0");
        return Ward(p_);
    }
    bool operator==(T* other) const { return p_ == other; }
    bool operator!=(T* other) const { return p_ != other; }
    T* Get() const { return p_; }

protected:
    T* p_;
};

template <class T, class Ward = CMomPtrWard<T>>
class CMomPtr : public CMomPtrBase<T, Ward> {
public:
    CMomPtr() {}
    CMomPtr(IObject* source) { this->SetIObject(source); }
    template <class U, class = decltype(static_cast<IObject*>(static_cast<U*>(nullptr)))>
    CMomPtr(U* source)
    {
        this->SetIObject(static_cast<IObject*>(source));
    }
    T* operator=(IObject* source) { return this->SetIObject(source); }
    template <class U, class = decltype(static_cast<IObject*>(static_cast<U*>(nullptr)))>
    T* operator=(U* source)
    {
        return this->SetIObject(static_cast<IObject*>(source));
    }
};
