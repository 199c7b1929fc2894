// One source for the loader tests' modules; the compile definition picks how the
// module behaves towards the loader.
#include <cstring>
#include <stdexcept>

#include "TestGreeter.h"

namespace {

// A root object that lives for the whole run, as roots of real modules do.
class CTestRoot final : public IModule, public ITestGreeter {
public:
    explicit CTestRoot(const char* key) : key_(key) {}
    IObject* GetInterface(const char* key) override
    {
        if (key == nullptr)
            return nullptr;
        if (key_ != nullptr && std::strcmp(key, key_) == 0)
            return static_cast<IModule*>(this);
        if (std::strcmp(key, "ITestGreeter") == 0)
            return static_cast<ITestGreeter*>(this);
        return nullptr;
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    const char* Greet() override { return "hello from a module"; }

private:
    const char* key_;
};

} // namespace

#if !defined(MOM_TEST_MODULE_MomNoExport)
extern "C" __attribute__((visibility("default"))) IModule* GetModule(void* handle)
{
#if defined(MOM_TEST_MODULE_MomGood)
    static CTestRoot root("IMomGoodModule");
    return handle != nullptr ? &root : nullptr;
#elif defined(MOM_TEST_MODULE_MomThrows)
    (void)handle;
    throw std::runtime_error("module refuses to start");
#elif defined(MOM_TEST_MODULE_MomNullRoot)
    (void)handle;
    return nullptr;
#elif defined(MOM_TEST_MODULE_MomNoInterface)
    (void)handle;
    static CTestRoot root(nullptr);
    return &root;
#endif
}
#else
// Exports something, but not the entry the loader looks for.
extern "C" __attribute__((visibility("default"))) int NotTheEntry() { return 7; }
#endif
