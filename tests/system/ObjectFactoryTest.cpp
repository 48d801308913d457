// Class activation: in-process classes, a real add-in library loaded with dlopen after it has
// registered itself, and error 429 for each way creation can fail.
#include "system/ObjectFactory.h"

#include "platform/AddinAbi.h"
#include "platform/NumberedError.h"
#include "tests/support/TempRegistry.h"
#include "tests/system/addin/TestGreeter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace qv;

namespace {

class Counter : public IObject {
  public:
    int value = 0;
};

class ObjectFactoryTest : public ::testing::Test {
  protected:
    std::string errorOf(ObjectFactory& f, const std::string& progId) {
        try {
            f.createObject(progId);
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::CannotCreateObject);
            return e.description();
        }
        ADD_FAILURE() << progId << " was created";
        return {};
    }

    test::TempRegistry mStore;
};

} // namespace

TEST_F(ObjectFactoryTest, InProcessClassesAreCreatedByNameInAnyCase) {
    ObjectFactory f(*mStore);
    int made = 0;
    f.registerClass("ADODB.Connection", [&] {
        ++made;
        return std::make_shared<Counter>();
    });
    EXPECT_TRUE(f.isRegistered("adodb.connection"));
    EXPECT_FALSE(f.isRegistered("ADODB.Recordset"));
    auto a = objectAs<Counter>(f.createObject("ADODB.CONNECTION"));
    auto b = objectAs<Counter>(f.createObject("ADODB.Connection"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b); // every creation is a new object
    EXPECT_EQ(made, 2);

    f.registerClass("Broken.Class", [] { return ObjectPtr(); });
    EXPECT_NE(errorOf(f, "Broken.Class").find("'Broken.Class'"), std::string::npos);
    EXPECT_NE(errorOf(f, "No.Such.Class").find("'No.Such.Class' is not registered"), std::string::npos);
}

TEST_F(ObjectFactoryTest, LibraryRegistersItselfAndCreatesItsObjectWithTheServices) {
    PlatformServices services;
    services.registry = mStore.get();
    ObjectFactory f(*mStore, &services);
    EXPECT_FALSE(f.isRegistered("Quorvel.TestGreeter"));
    f.registerServer(QV_TEST_ADDIN);
    EXPECT_TRUE(f.isRegistered("quorvel.testgreeter"));
    auto lib = mStore->queryValue(reg::HKEY_CLASSES_ROOT, "Quorvel.TestGreeter", addin::LibraryValue);
    ASSERT_TRUE(lib);
    EXPECT_EQ(std::filesystem::path(std::string(lib->data.begin(), lib->data.end())),
              std::filesystem::canonical(QV_TEST_ADDIN));

    auto greeter = objectAs<test::ITestGreeter>(f.createObject("Quorvel.TestGreeter"));
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->greet(), "Hallo van de bibliotheek");
    EXPECT_EQ(greeter->services(), &services);
    // The host learns where the library is, to find the files that ship beside it.
    EXPECT_EQ(std::filesystem::path(f.libraryPath("QUORVEL.TestGreeter")),
              std::filesystem::canonical(QV_TEST_ADDIN));
    f.registerClass("ADODB.Connection", [] { return ObjectPtr(); });
    EXPECT_EQ(f.libraryPath("ADODB.Connection"), "");
    EXPECT_EQ(f.libraryPath("No.Such.Class"), "");
}

TEST_F(ObjectFactoryTest, ObjectsKeepTheirLibraryLoadedAfterTheFactoryIsGone) {
    std::shared_ptr<test::ITestGreeter> greeter;
    {
        ObjectFactory f(*mStore);
        f.registerServer(QV_TEST_ADDIN);
        greeter = objectAs<test::ITestGreeter>(f.createObject("Quorvel.TestGreeter"));
    }
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->greet(), "Hallo van de bibliotheek");
    greeter.reset(); // the destructor's code must still be there
}

TEST_F(ObjectFactoryTest, EachWayALibraryClassCanFailIsError429WithItsReason) {
    ObjectFactory f(*mStore);
    ASSERT_TRUE(addin::writeRegistration(*mStore, "Gone.Class", "/nonexistent/libgone.so"));
    EXPECT_TRUE(f.isRegistered("Gone.Class"));
    const std::string gone = errorOf(f, "Gone.Class");
    EXPECT_NE(gone.find("cannot be loaded"), std::string::npos) << gone;
    EXPECT_NE(gone.find("/nonexistent/libgone.so"), std::string::npos) << gone;

    ASSERT_TRUE(addin::writeRegistration(*mStore, "Wrong.Symbol", QV_TEST_ADDIN, "qv_no_such_function"));
    EXPECT_NE(errorOf(f, "Wrong.Symbol").find("has no function qv_no_such_function"), std::string::npos);

    // The library is there but does not serve this ProgID.
    ASSERT_TRUE(addin::writeRegistration(*mStore, "Other.Class", QV_TEST_ADDIN));
    EXPECT_NE(errorOf(f, "Other.Class").find("does not create 'Other.Class'"), std::string::npos);

    try {
        f.registerServer("/bin/sh");
        ADD_FAILURE() << "registered a program as a library";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::CannotCreateObject);
    }
}
