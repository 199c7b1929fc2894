// Loading modules by name: the ".mo" suffix, the length limit, the "GetModule"
// contract and which libraries stay loaded.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

#include "MomPtr.h"
#include "TestGreeter.h"

namespace {

std::string ModulePath(const char* name) { return std::string(MOM_TEST_MODULE_DIR) + "/" + name + ".mo"; }

// Whether the module file is loaded in this process right now.
bool IsLoaded(const char* name)
{
    void* handle = dlopen(ModulePath(name).c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    dlclose(handle);
    return true;
}

} // namespace

TEST(MomLoader, OpensAModuleByNameAndAsksItsRootForTheModuleInterface)
{
    IModule* root = OpenModuleEx("MomGood");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetInterface("IMomGoodModule"), static_cast<IObject*>(root));

    IModule* module = OpenModuleT<IModule>("MomGood");
    ASSERT_NE(module, nullptr);
    ITestGreeter* asked = module->GetInterfaceT<ITestGreeter>(MomGetTypeNameT<ITestGreeter>());
    ASSERT_NE(asked, nullptr);
    EXPECT_STREQ(asked->Greet(), "hello from a module");
    EXPECT_TRUE(IsLoaded("MomGood"));
}

TEST(MomLoader, OpeningAgainGivesTheSameRoot)
{
    EXPECT_EQ(OpenModuleEx("MomGood"), OpenModuleEx("MomGood"));
}

TEST(MomLoader, RefusalsGiveNullAndKeepTheRulesOfWhatStaysLoaded)
{
    struct Case {
        const char* name;
        bool staysLoaded;
    };
    const Case cases[] = {
        {"MomNoExport", false},   // no "GetModule": unloaded again
        {"MomThrows", true},      // exception caught; the library stays
        {"MomNullRoot", true},    // null root; the library stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OpenModuleEx(c.name), nullptr);
        EXPECT_EQ(IsLoaded(c.name), c.staysLoaded);
    }
}

TEST(MomLoader, RootWithoutTheModuleInterfaceGivesNullAndStaysLoaded)
{
    ASSERT_NE(OpenModuleEx("MomNoInterface"), nullptr);
    EXPECT_EQ(OpenModuleT<IModule>("MomNoInterface"), nullptr);
    EXPECT_TRUE(IsLoaded("MomNoInterface"));
}

TEST(MomLoader, MissingLibraryPrintsTheLoaderErrorAndGivesNull)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenModuleEx("NoSuchModuleAnywhere"), nullptr);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("NoSuchModuleAnywhere.mo"), std::string::npos) << printed;
    EXPECT_EQ(printed.back(), '\n');
}

TEST(MomLoader, NameLengthLimit)
{
    // 256 characters are tried (the loader reports its error); 257 never reach it.
    const std::string tried(256, 'a');
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenModuleEx(tried.c_str()), nullptr);
    EXPECT_FALSE(testing::internal::GetCapturedStdout().empty());

    const std::string refused(257, 'a');
    testing::internal::CaptureStdout();
    EXPECT_EQ(OpenModuleEx(refused.c_str()), nullptr);
    EXPECT_EQ(OpenModuleT<IModule>(refused.c_str()), nullptr);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());

    EXPECT_EQ(OpenModuleEx(nullptr), nullptr);
    EXPECT_EQ(OpenModuleT<IModule>(nullptr), nullptr);
}

TEST(MomLoader, ModuleInterfaceName)
{
    char out[2 * kMomMaxModuleName];
    ASSERT_TRUE(MomModuleInterfaceName("Vessmar", out, sizeof(out)));
    EXPECT_STREQ(out, "IVessmarModule");
    ASSERT_TRUE(MomModuleInterfaceName("Common", out, sizeof(out)));
    EXPECT_STREQ(out, "ICommonModule");
    EXPECT_FALSE(MomModuleInterfaceName("Common", out, sizeof("ICommonModule") - 1));
    EXPECT_TRUE(MomModuleInterfaceName(std::string(256, 'x').c_str(), out, sizeof(out)));
    EXPECT_FALSE(MomModuleInterfaceName(std::string(257, 'x').c_str(), out, sizeof(out)));
}

TEST(MomLoader, CallGetModuleCatchesEverything)
{
    EXPECT_EQ(CallGetModule(nullptr, nullptr), nullptr);
    MomGetModuleFn throwsInt = [](void*) -> IModule* { throw 42; };
    MomGetModuleFn throwsStd = [](void*) -> IModule* { throw std::logic_error("bad"); };
    EXPECT_EQ(CallGetModule(throwsInt, nullptr), nullptr);
    EXPECT_EQ(CallGetModule(throwsStd, nullptr), nullptr);
    MomGetModuleFn echoes = [](void* handle) { return static_cast<IModule*>(handle); };
    int marker = 0;
    EXPECT_EQ(CallGetModule(echoes, &marker), reinterpret_cast<IModule*>(&marker));
}
