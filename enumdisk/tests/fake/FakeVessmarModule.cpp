// The scripted device manager module: the root, the manager and the exports.
#include "FakeItems.h"
#include "vessmar/IManager.h"
#include "vessmar/IVessmarModule.h"

FakeVessmarControl& Control()
{
    static FakeVessmarControl control;
    return control;
}

namespace {

class FakeManager final : public IManager {
public:
    IObject* GetInterface(const char* key) override { return IsKey<IManager>(key) ? this : nullptr; }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long long GetCount() override { return Control().disks.size(); }
    IIterator* CreateIterator() override
    {
        std::vector<FakeDisk*> items;
        for (const ScriptedDisk& plan : Control().disks)
            items.push_back(new FakeDisk(plan));
        return FakeIterator::Owning(items);
    }
};

class FakeVessmarModule final : public IVessmarModule, public IModule {
public:
    IObject* GetInterface(const char* key) override
    {
        if (Control().rootAnswers && key != nullptr && std::strcmp(key, "IVessmarModule") == 0)
            return static_cast<IVessmarModule*>(this);
        return nullptr;
    }
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    unsigned long VessmarReserved5() override { return 0; }
    unsigned long VessmarReserved6() override { return 0; }
    IObject* Open(unsigned long) override
    {
        ++Control().openCalls;
        return Control().openGivesNull ? nullptr : static_cast<IObject*>(&manager_);
    }
    unsigned long Refresh(unsigned long) override { return 0; }
    IManager* GetManager() override { return Control().noManager ? nullptr : &manager_; }
    unsigned long Attach(IObject*) override
    {
        ++Control().attachCalls;
        return 0;
    }

private:
    FakeManager manager_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) IModule* GetModule(void*)
{
    static FakeVessmarModule root;
    ++Control().getModuleCalls;
    return &root;
}

extern "C" __attribute__((visibility("default"))) FakeVessmarControl* FakeVessmarControlOf() { return &Control(); }
