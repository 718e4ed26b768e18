// ByteBuffer and TextArray values, and the conversions between text and bytes.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define SL_HAVE_MMAP 1
#endif

#include "text/text.h"
#include "text_matchers.h"

namespace sl {
namespace {

using text_test::IsResult;
using text_test::Show;
using Bytes = std::vector<uint8_t>;

ByteBuffer B(Bytes bytes) { return ByteBuffer(std::move(bytes)); }
Bytes Of(const ByteBuffer& b) { return Bytes(b.Span().begin(), b.Span().end()); }

TEST(ByteBufferValue, EmptyIsAbsent) {
  EXPECT_EQ(ByteBuffer().Data(), nullptr);
  EXPECT_EQ(B({}).Data(), nullptr);
  EXPECT_EQ(ByteBuffer("x", 0).Data(), nullptr);
  EXPECT_EQ(BytesLength(ByteBuffer()), 0);
  EXPECT_EQ(BytesLength(B({0, 0, 7})), 3);
}

// ---- Conversions ------------------------------------------------------------

TEST(TextToBytes, TheBytesWithoutTerminator) {
  EXPECT_EQ(Of(TextToBytes("a\xB0\xA1")), (Bytes{0x61, 0xB0, 0xA1}));
  EXPECT_EQ(TextToBytes(Text("")).Data(), nullptr);
  EXPECT_EQ(TextToBytes(Text()).Data(), nullptr);
}

TEST(BytesToText, StopsAtTheFirstZeroByte) {
  const struct {
    Bytes b;
    const char* want;
  } cases[] = {
      {{'a', 'b'}, "ab"},
      {{'a', 0, 'b'}, "a"},
      {{'a', 'b', 0}, "ab"},
      {{0xB0, 0xA1}, "\xB0\xA1"},
      {{0, 'a'}, ""},
      {{0}, ""},
      {{}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(IsResult(BytesToText(B(c.b)), c.want)) << "want " << Show(c.want);
  }
}

// ---- BytesLeft, BytesMid, BytesBlank ----------------------------------------

TEST(BytesCut, LeftLimitsTheLength) {
  const struct {
    int32_t n;
    Bytes want;
  } cases[] = {
      {2, {0, 1}}, {3, {0, 1, 2}}, {4, {0, 1, 2}}, {INT_MAX, {0, 1, 2}},
      {0, {}},     {-1, {}},       {INT_MIN, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Of(BytesLeft(B({0, 1, 2}), c.n)), c.want) << "n=" << c.n;
  }
  EXPECT_EQ(BytesLength(BytesLeft(ByteBuffer(), 5)), 0);
}

TEST(BytesCut, MidMovesStartUpToTheFirstByte) {
  const struct {
    int32_t start;
    int32_t n;
    Bytes want;
  } cases[] = {
      {1, 2, {1, 2}},       {0, 2, {1, 2}},          {-5, 2, {1, 2}},
      {INT_MIN, 2, {1, 2}}, {2, INT_MAX, {2, 3, 4}}, {INT_MIN, INT_MAX, {1, 2, 3, 4}},
      {4, 1, {4}},          {3, 9, {3, 4}},          {5, 1, {}},
      {INT_MAX, 1, {}},     {INT_MAX, INT_MAX, {}},  {2, 0, {}},
      {2, -1, {}},          {2, INT_MIN, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Of(BytesMid(B({1, 2, 3, 4}), c.start, c.n)), c.want)
        << "start=" << c.start << " n=" << c.n;
  }
  EXPECT_EQ(Of(BytesMid(B({0, 1, 0}), 1, 3)), (Bytes{0, 1, 0}));
  EXPECT_EQ(BytesLength(BytesMid(ByteBuffer(), 1, 1)), 0);
}

TEST(BytesBlank, ZeroBytesOrAbsent) {
  EXPECT_EQ(Of(BytesBlank(3)), (Bytes{0, 0, 0}));
  for (int32_t n : {0, -1, INT_MIN}) {
    EXPECT_EQ(BytesBlank(n).Data(), nullptr) << "n=" << n;
  }
}

// ---- BytesConcat, BytesEqual ------------------------------------------------

TEST(BytesConcat, KeepsZeroBytesAndSkipsAbsentParts) {
  EXPECT_EQ(Of(BytesConcat(B({0}), ByteBuffer(), B({1, 0}))), (Bytes{0, 1, 0}));
  EXPECT_EQ(BytesConcat(ByteBuffer(), B({})).Data(), nullptr);
  EXPECT_EQ(Of(BytesConcat(B({5}))), (Bytes{5}));
}

TEST(BytesEqual, SameLengthAndBytes) {
  const struct {
    Bytes a;
    Bytes b;
    bool want;
  } cases[] = {
      {{1, 2}, {1, 2}, true},  {{0}, {0}, true}, {{}, {}, true},
      {{1}, {1, 0}, false},    {{0}, {}, false}, {{1, 2}, {2, 1}, false},
      {{0xFF}, {0x7F}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesEqual(B(c.a), B(c.b)), c.want);
    EXPECT_EQ(BytesEqual(B(c.b), B(c.a)), c.want);
  }
  EXPECT_TRUE(BytesEqual(ByteBuffer(), ByteBuffer("x", 0)));
  EXPECT_TRUE(BytesEqual(ByteBuffer(), BytesLeft(B({1}), 0)));
}

// ---- ByteBuffer::Append -----------------------------------------------------

TEST(ByteBufferAppend, Accumulates) {
  ByteBuffer b;
  const uint8_t chunk[] = {0, 1, 2};
  EXPECT_TRUE(b.Append(chunk));
  EXPECT_TRUE(b.Append({}));
  EXPECT_TRUE(b.Append(std::span(chunk, 1)));
  EXPECT_EQ(Of(b), (Bytes{0, 1, 2, 0}));
}

TEST(ByteBufferAppend, RefusesToPassTheLengthLimit) {
#ifdef SL_HAVE_MMAP
  // Reserved, never-touched address space stands in for a huge chunk, so a
  // correct refusal costs no memory. A wrong acceptance would copy gigabytes.
  const size_t reserved = (size_t{1} << 32) + 4096;
  void* area =
      mmap(nullptr, reserved, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (area == MAP_FAILED) GTEST_SKIP() << "cannot reserve address space";
  const auto* huge = static_cast<const uint8_t*>(area);
  const size_t limit = static_cast<size_t>(ByteBuffer::kMaxLength);

  ByteBuffer empty;
  EXPECT_FALSE(empty.Append(std::span(huge, limit + 1)));
  EXPECT_EQ(empty.Length(), 0);
  // Would wrap to a small 32-bit length if truncated.
  EXPECT_FALSE(empty.Append(std::span(huge, (size_t{1} << 32) + 1)));
  EXPECT_EQ(empty.Length(), 0);

  ByteBuffer one(Bytes{9});
  EXPECT_FALSE(one.Append(std::span(huge, limit)));
  EXPECT_EQ(Of(one), (Bytes{9}));
  munmap(area, reserved);
#else
  GTEST_SKIP() << "needs a way to reserve address space without committing it";
#endif
}

// ---- TextArray --------------------------------------------------------------

TEST(TextArrayOps, AppendOfAbsentAddsAnAbsentMember) {
  TextArray array;
  EXPECT_EQ(ArrayCount(array), 0);
  ArrayAppend(array, Text("a"));
  ArrayAppend(array, Text());
  ASSERT_EQ(ArrayCount(array), 2);
  EXPECT_EQ(array.Member(1).View(), "a");
  EXPECT_TRUE(array.Member(2).IsAbsent());
  EXPECT_EQ(array.Member(2).CStr(), nullptr);
}

}  // namespace
}  // namespace sl
