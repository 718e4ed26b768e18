// The automation layer: the counted initialisation, creation by ProgID with
// its look-up, creation and start steps, and calls by member name.
#include <gtest/gtest.h>

#include <memory>

#include "regex/automation.h"
#include "regex/component_registry.h"
#include "regex/regexp_component.h"

namespace sl::automation {
namespace {

// Holds one initialisation for the test's lifetime.
struct ComScope {
  ComScope() { ComInitialize(); }
  ~ComScope() { ComUninitialize(); }
};

// An object without members that can be told not to start.
class StubObject final : public Object {
 public:
  explicit StubObject(bool runs) : runs_(runs) {}
  std::optional<MemberId> FindMember(std::string_view) const override { return std::nullopt; }
  Status Invoke(MemberId, CallKind, std::span<const Variant>, Variant&) override {
    return Status::MemberNotFound;
  }
  bool Run() override { return runs_; }

 private:
  bool runs_;
};

TEST(Automation, InitialisationIsCountedAndUninitialiseNeverGoesBelowZero) {
  ASSERT_EQ(ComInitDepth(), 0);
  ComInitialize();
  ComInitialize();
  EXPECT_EQ(ComInitDepth(), 2);
  ComUninitialize();
  ComUninitialize();
  ComUninitialize();
  EXPECT_EQ(ComInitDepth(), 0);
  ComInitialize();
  EXPECT_EQ(ComInitDepth(), 1);
  ComUninitialize();

  OleInitialize();
  EXPECT_EQ(OleInitDepth(), 1);
  EXPECT_EQ(ComInitDepth(), 1);
  OleUninitialize();
  OleUninitialize();
  EXPECT_EQ(OleInitDepth(), 0);
  EXPECT_EQ(ComInitDepth(), 0);
}

TEST(Automation, CreatesTheRegExpComponentOnlyOnAnInitialisedThread) {
  EXPECT_FALSE(CreateObject(kRegExpProgId));
  ComScope com;
  ObjectRef regexp = CreateObject(kRegExpProgId);
  ASSERT_TRUE(regexp);
  EXPECT_EQ(regexp.ReferenceCount(), 1);
  EXPECT_FALSE(CreateObject("VBScript.NoSuchThing"));
}

TEST(Automation, EveryCreationStepCanFail) {
  ComScope com;
  std::weak_ptr<Object> unstarted;
  struct Case {
    const char* name;
    ClassFactory factory;
  };
  const Case cases[] = {
      {"class not registered", ClassFactory()},
      {"instance not created", [] { return ObjectRef(); }},
      {"instance does not start",
       [&] {
         auto stub = std::make_shared<StubObject>(false);
         unstarted = stub;
         return ObjectRef(stub);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedClass replaced(kRegExpProgId, c.factory);
    EXPECT_FALSE(CreateObject(kRegExpProgId));
  }
  // The instance that would not start was released again.
  EXPECT_TRUE(unstarted.expired());
  // Each replacement was undone at the end of its scope.
  EXPECT_TRUE(CreateObject(kRegExpProgId));
}

TEST(Automation, RegisteredClassesAreCreatedByName) {
  ComScope com;
  ScopedClass stub("Test.Stub", [] { return ObjectRef(std::make_shared<StubObject>(true)); });
  EXPECT_TRUE(CreateObject("Test.Stub"));
  EXPECT_TRUE(CreateObject(kRegExpProgId));
}

TEST(Automation, CallsByNameFailQuietly) {
  ObjectRef regexp = CreateRegExpComponent();
  Variant result = Variant::FromInt32(5);
  const Variant yes = Variant::FromBool(true);
  const Variant two[] = {yes, yes};
  struct Case {
    const char* name;
    ObjectRef object;
    std::string_view member;
    CallKind kind;
    std::span<const Variant> args;
    Status status;
  };
  const Case cases[] = {
      {"no object", ObjectRef(), "Pattern", CallKind::PropertyGet, {}, Status::NoObject},
      {"no such member", regexp, "Singleline", CallKind::PropertyPut, two, Status::UnknownName},
      {"too many arguments", regexp, "IgnoreCase", CallKind::PropertyGet, two, Status::BadArgCount},
      {"method read as a property",
       regexp,
       "Execute",
       CallKind::PropertyGet,
       {},
       Status::MemberNotFound},
      {"write without a value",
       regexp,
       "IgnoreCase",
       CallKind::PropertyPut,
       {},
       Status::BadArgCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Invoke(c.object, c.member, c.kind, c.args, result), c.status);
    EXPECT_TRUE(result.IsEmpty());
  }

  // An argument that cannot become the member's type.
  const Variant null = Variant::Null();
  EXPECT_EQ(Invoke(regexp, "IgnoreCase", CallKind::PropertyPut, std::span(&null, 1), result),
            Status::TypeMismatch);
  EXPECT_FALSE(PutProperty(regexp, "Singleline", yes));
  EXPECT_TRUE(GetProperty(regexp, "Singleline").IsEmpty());
  // A failed write changes nothing.
  EXPECT_FALSE(PutProperty(regexp, "Global", Variant::FromString(u"maybe")));
  EXPECT_EQ(VariantToText(GetProperty(regexp, "Global")).View(), "0");
}

TEST(Automation, MemberNamesIgnoreLetterCase) {
  ObjectRef regexp = CreateRegExpComponent();
  EXPECT_TRUE(PutProperty(regexp, "pattern", Variant::FromString(u"a+")));
  EXPECT_TRUE(PutProperty(regexp, "IGNORECASE", Variant::FromBool(true)));
  EXPECT_EQ(GetProperty(regexp, "Pattern").StringValue(), u"a+");
  EXPECT_EQ(VariantToText(GetProperty(regexp, "IgnoreCase")).View(), "-1");
}

}  // namespace
}  // namespace sl::automation
