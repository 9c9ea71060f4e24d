#include "host/dictionary.h"

#include <gtest/gtest.h>

#include "tests/unit/error_of.h"

#include "host/automation_error.h"

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

}  // namespace
}  // namespace orb
