// CMomPtr: which references it takes and drops, and in which order.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "MomPtr.h"

namespace {

class IAlpha : public IObject {
public:
    virtual int Alpha() = 0;

protected:
    ~IAlpha() {}
};

class IBeta : public IObject {
public:
    virtual int Beta() = 0;

protected:
    ~IBeta() {}
};

class IGamma : public IObject {
protected:
    ~IGamma() {}
};

// A reference-counted object that records its AddRef and Release calls and marks
// itself dead when its count falls to zero (it is not freed, so tests can look).
class CCounted final : public IAlpha, public IBeta {
public:
    explicit CCounted(long refs) : refs(refs) {}
    IObject* GetInterface(const char* key) override
    {
        if (std::strcmp(key, MomGetTypeNameT<IAlpha>()) == 0)
            return static_cast<IAlpha*>(this);
        if (std::strcmp(key, MomGetTypeNameT<IBeta>()) == 0)
            return static_cast<IBeta*>(this);
        return nullptr;
    }
    unsigned long Release() override
    {
        EXPECT_FALSE(dead) << "Release on a destroyed object";
        calls.push_back("Release");
        if (--refs == 0)
            dead = true;
        return static_cast<unsigned long>(refs);
    }
    unsigned long AddRef() override
    {
        EXPECT_FALSE(dead) << "AddRef on a destroyed object";
        calls.push_back("AddRef");
        return static_cast<unsigned long>(++refs);
    }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }
    int Alpha() override { return 1; }
    int Beta() override { return 2; }

    long refs;
    bool dead = false;
    std::vector<std::string> calls;
};

} // namespace

TEST(MomPtr, HoldsTheAskedInterfaceWithOneReference)
{
    CCounted object(1);
    {
        CMomPtr<IBeta> beta(static_cast<IAlpha*>(&object));
        ASSERT_TRUE(beta != nullptr);
        EXPECT_TRUE(beta == static_cast<IBeta*>(&object));
        EXPECT_EQ(beta->Beta(), 2);
        EXPECT_EQ(object.refs, 2);
    }
    EXPECT_EQ(object.refs, 1) << "the destructor releases the held interface";
    EXPECT_FALSE(object.dead);
}

TEST(MomPtr, CopyInitialisesFromAnInterfacePointer)
{
    CCounted object(0);
    {
        CMomPtr<IAlpha> alpha = static_cast<IBeta*>(&object);
        EXPECT_EQ(alpha->Alpha(), 1);
        EXPECT_EQ(object.refs, 1);
    }
    EXPECT_TRUE(object.dead) << "the only holder released it";
}

TEST(MomPtr, SettingTheHeldPointerAgainChangesNothing)
{
    CCounted object(1);
    CMomPtr<IAlpha> alpha(static_cast<IAlpha*>(&object));
    object.calls.clear();
    EXPECT_EQ(alpha = static_cast<IAlpha*>(&object), static_cast<IAlpha*>(&object));
    EXPECT_TRUE(object.calls.empty());
    EXPECT_EQ(object.refs, 2);
}

TEST(MomPtr, FailedQueryLeavesItEmptyAndTheCountWhereItWas)
{
    CCounted held(1);
    CMomPtr<IGamma> gamma;
    EXPECT_TRUE(gamma == nullptr);
    EXPECT_EQ(gamma = static_cast<IAlpha*>(&held), nullptr);
    EXPECT_TRUE(gamma == nullptr);
    EXPECT_EQ(held.refs, 1);
    EXPECT_EQ(held.calls, (std::vector<std::string>{"AddRef", "Release"}));

    // An object that nobody else holds is destroyed by the failed query.
    CCounted floating(0);
    gamma = static_cast<IAlpha*>(&floating);
    EXPECT_TRUE(floating.dead);
}

TEST(MomPtr, RetargetingToAnotherInterfaceOfTheLastHeldObjectKeepsItAlive)
{
    // Only the smart pointer holds the object. Moving it from one interface of the
    // object to another must take the new reference before dropping the old one.
    CCounted object(0);
    CMomPtr<IAlpha> alpha(static_cast<IAlpha*>(&object));
    ASSERT_EQ(object.refs, 1);
    object.calls.clear();
    alpha = static_cast<IBeta*>(&object);
    EXPECT_FALSE(object.dead);
    EXPECT_EQ(object.refs, 1);
    EXPECT_EQ(object.calls, (std::vector<std::string>{"AddRef", "Release"}));
    EXPECT_TRUE(alpha == static_cast<IAlpha*>(&object));
}

TEST(MomPtr, MovingToAnotherObjectReleasesTheFirstAndNullEmpties)
{
    CCounted first(1);
    CCounted second(1);
    CMomPtr<IAlpha> alpha(static_cast<IAlpha*>(&first));
    alpha = static_cast<IAlpha*>(&second);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 2);
    alpha = static_cast<IObject*>(nullptr);
    EXPECT_TRUE(alpha == nullptr);
    EXPECT_EQ(second.refs, 1);
}

TEST(MomPtrDeathTest, ArrowOnAnEmptyPointerAsserts)
{
#ifndef NDEBUG
    CMomPtr<IAlpha> empty;
    EXPECT_DEATH(empty->Alpha(), "p!=0");
#else
    GTEST_SKIP() << "assertions are compiled out";
#endif
}
