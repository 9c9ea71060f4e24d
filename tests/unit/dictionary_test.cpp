#include "host/dictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/error_of.h"

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb {
namespace {

TEST(DictionaryTest, KeysIgnoreCaseAndKeepTheirPlaceAndSpelling) {
  Dictionary d{{"FBillNo", "A1"}, {"FDate", Date{1}}, {"FQty", 3}};
  d.Set("fbillno", "A2");
  EXPECT_EQ(d.Count(), 3);
  EXPECT_EQ(d.KeyAt(1), "FBillNo");
  EXPECT_EQ(d.ItemAt(1), Variant("A2"));
  EXPECT_EQ(d.Get("FBILLNO"), Variant("A2"));

  EXPECT_TRUE(d.Remove("FDATE"));
  EXPECT_FALSE(d.Remove("FDate"));
  d.Set("FDate", Date{2});
  EXPECT_EQ(d.KeyAt(3), "FDate");  // a removed key comes back at the end

  EXPECT_TRUE(d.Get("Missing").IsEmpty());
  EXPECT_FALSE(d.Exists("Missing"));  // reading does not add
  EXPECT_EQ(d.GetOr("Missing", 7), Variant(7));
  EXPECT_TRUE(d.GetOr("fqty", 7) == Variant(3));
  EXPECT_EQ(d.GetDictionary("FQty"), nullptr);
}

TEST(DictionaryTest, PositionsAreOneBased) {
  Dictionary d{{"a", 1}};
  EXPECT_EQ(ErrorOf([&] { d.ItemAt(0); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([&] { d.ItemAt(2); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([&] { d.KeyAt(0); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([] { Dictionary().ItemAt(1); }), err::kSubscript);

  Vector v;
  v.Add(2);
  v.Insert(1, 1);
  v.Insert(3, 3);
  ASSERT_EQ(v.Size(), 3);
  EXPECT_EQ(v.Item(1), Variant(1));
  EXPECT_EQ(v.Item(3), Variant(3));
  EXPECT_EQ(ErrorOf([&] { v.Insert(5, 0); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([&] { v.Item(0); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([&] { v.SetItem(4, 0); }), err::kSubscript);
  EXPECT_EQ(ErrorOf([&] { v.Remove(4); }), err::kSubscript);
  v.Remove(1);
  EXPECT_EQ(v.Item(1), Variant(2));
  EXPECT_EQ(v.DictionaryAt(1), nullptr);
}

TEST(DictionaryTest, CopySharesObjectsButNotKeys) {
  auto child = Dictionary::New({{"x", 1}});
  auto rows = Vector::New();
  auto d = Dictionary::New({{"child", child}, {"rows", rows}, {"n", 1}});
  auto copy = d->Copy();
  copy->Set("n", 2);
  copy->Set("extra", true);
  copy->GetDictionary("child")->Set("x", 5);

  EXPECT_EQ(d->Get("n"), Variant(1));
  EXPECT_FALSE(d->Exists("extra"));
  EXPECT_EQ(d->GetDictionary("child"), child);
  EXPECT_EQ(child->Get("x"), Variant(5));
  EXPECT_EQ(copy->GetVector("rows"), rows);
}

// Past a dozen keys the dictionary looks keys up through its index; order,
// letter case and positions must behave exactly as in a small one.
TEST(DictionaryTest, LargeDictionaryKeepsOrderCaseAndPositions) {
  Dictionary d;
  constexpr int kKeys = 300;
  for (int i = 0; i < kKeys; ++i) d.Set("FCol" + std::to_string(i), i);
  ASSERT_EQ(d.Count(), kKeys);
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_EQ(d.Get("fcol" + std::to_string(i)), Variant(i)) << i;
    ASSERT_EQ(d.KeyAt(i + 1), "FCol" + std::to_string(i));
  }
  d.Set("FCOL7", "seven");  // existing key: same place, first spelling
  EXPECT_EQ(d.Count(), kKeys);
  EXPECT_EQ(d.KeyAt(8), "FCol7");
  EXPECT_EQ(d.ItemAt(8), Variant("seven"));
  EXPECT_FALSE(d.Exists("FCol300"));
  EXPECT_EQ(d.GetOr("FCol300", -1), Variant(-1));
  EXPECT_EQ(ErrorOf([&] { d.ItemAt(kKeys + 1); }), err::kSubscript);

  // Removing shifts the later keys down; each is still found under its name.
  EXPECT_TRUE(d.Remove("fcol0"));
  EXPECT_TRUE(d.Remove("FCol150"));
  EXPECT_EQ(d.Count(), kKeys - 2);
  EXPECT_EQ(d.KeyAt(1), "FCol1");
  EXPECT_EQ(d.Get("FCol299"), Variant(299));
  EXPECT_EQ(d.Get("FCol151"), Variant(151));
  EXPECT_EQ(d.KeyAt(150), "FCol151");
  d.Set("FCol0", "back");
  EXPECT_EQ(d.KeyAt(d.Count()), "FCol0");
  EXPECT_EQ(d.Get("FCOL0"), Variant("back"));

  // The copy is looked up on its own and changes apart from the original.
  auto copy = d.Copy();
  copy->Set("FCol1", "copy");
  copy->Set("Extra", 1);
  EXPECT_EQ(d.Get("FCol1"), Variant(1));
  EXPECT_FALSE(d.Exists("extra"));
  EXPECT_EQ(copy->Get("fcol1"), Variant("copy"));
  EXPECT_EQ(copy->Get("FCol299"), Variant(299));

  // Shrinking back below the index threshold still finds every key left.
  while (d.Count() > 5) EXPECT_TRUE(d.Remove(d.KeyAt(1)));
  for (int32_t i = 1; i <= d.Count(); ++i) EXPECT_TRUE(d.Exists(LCase(d.KeyAt(i))));
}

}  // namespace
}  // namespace orb
