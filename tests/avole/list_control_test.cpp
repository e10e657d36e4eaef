// ListControl on real list boxes (QListWidget) and combo boxes (QComboBox).
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <memory>

#include <gtest/gtest.h>

#include "tests/avole/widgets_fixture.h"

namespace avole {
namespace {

using qb::Bstr;
using qb::ComPtr;

// A list box or a combo box with |items|, |selected| the current one (-1:
// none).
std::unique_ptr<QWidget> MakeList(bool combo, const QStringList& items, int selected) {
  if (combo) {
    auto box = std::make_unique<QComboBox>();
    box->addItems(items);
    box->setCurrentIndex(selected);
    return box;
  }
  auto list = std::make_unique<QListWidget>();
  list->addItems(items);
  list->setCurrentRow(selected);
  return list;
}

QStringList ItemsOf(QWidget* widget) {
  QStringList items;
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  }
  return items;
}

class ListControlTest : public testing::WidgetsTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    WidgetsTest::SetUp();
    lists_ = New<_ListControl>(CLSID_ListControl, IID__ListControl);
  }
  void TearDown() override {
    lists_.Reset();
    WidgetsTest::TearDown();
  }

  bool CheckList(QWidget* widget, const std::string& item) {
    ComPtr<IDispatch> object = Wrap(widget);
    IDispatch* o = object.get();
    Bstr text = Bstr::FromUtf8(item);
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(lists_->CheckList(&o, text.inout(), &result), S_OK);
    return result == VARIANT_TRUE;
  }

  ComPtr<_ListControl> lists_;
};

TEST_P(ListControlTest, CheckListTellsWhetherTheItemIsMissing) {
  const bool combo = GetParam();
  EXPECT_TRUE(CheckList(MakeList(combo, {}, -1).get(), "Apple"));
  auto fruit = MakeList(combo, {"Apple", "Banana", "Cherry"}, 0);
  EXPECT_FALSE(CheckList(fruit.get(), "Cherry"));  // the last item
  EXPECT_FALSE(CheckList(fruit.get(), "Apple"));
  EXPECT_TRUE(CheckList(fruit.get(), "cherry"));  // letter case counts
  EXPECT_TRUE(CheckList(fruit.get(), "Durian"));
  auto japanese = MakeList(combo, {"りんご", "みかん"}, -1);
  EXPECT_FALSE(CheckList(japanese.get(), "みかん"));
  EXPECT_TRUE(CheckList(japanese.get(), "ミカン"));
}

struct MoveCase {
  bool up;
  QStringList items;
  int selected;
  QStringList expected;
};

TEST_P(ListControlTest, ItemUpAndItemDown) {
  const QStringList abc = {"a", "b", "c"};
  const MoveCase cases[] = {
      {true, abc, 2, {"a", "c", "b"}},
      {true, abc, 1, {"b", "a", "c"}},
      {true, abc, 0, abc},   // already first
      {true, abc, -1, abc},  // nothing selected
      {true, {}, -1, {}},
      {false, abc, 0, {"b", "a", "c"}},
      {false, abc, 1, {"a", "c", "b"}},
      {false, abc, 2, abc},  // already last
      {false, abc, -1, abc},
      {false, {}, -1, {}},
  };
  for (const MoveCase& c : cases) {
    auto list = MakeList(GetParam(), c.items, c.selected);
    ComPtr<IDispatch> object = Wrap(list.get());
    IDispatch* o = object.get();
    ASSERT_EQ(c.up ? lists_->ItemUp(&o) : lists_->ItemDown(&o), S_OK);
    EXPECT_EQ(ItemsOf(list.get()), c.expected)
        << (c.up ? "ItemUp" : "ItemDown") << " with " << c.selected << " selected of "
        << c.items.join(",").toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(ListAndCombo, ListControlTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "ComboBox" : "ListBox";
                         });

class ListControlOtherObjectsTest : public ListControlTest {};

TEST_F(ListControlOtherObjectsTest, ATextBoxIsNoList) {
  QLineEdit text;
  text.setText("Apple");
  EXPECT_FALSE(CheckList(&text, "Apple"));
  EXPECT_FALSE(CheckList(&text, "Durian"));
  IDispatch* nothing = nullptr;
  Bstr item = Bstr::FromUtf8("Apple");
  VARIANT_BOOL result = VARIANT_TRUE;
  EXPECT_EQ(lists_->CheckList(&nothing, item.inout(), &result), S_OK);
  EXPECT_EQ(result, VARIANT_FALSE);
  // The moves do not look at the kind: an object without the members fails.
  ComPtr<IDispatch> object = Wrap(&text);
  IDispatch* o = object.get();
  EXPECT_EQ(lists_->ItemUp(&o), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(text.text(), "Apple");
}

TEST_F(ListControlOtherObjectsTest, ByName) {
  ComPtr<IDispatch> lists;
  ASSERT_EQ(lists_->QueryInterface(IID_IDispatch, lists.out_void()), S_OK);
  QListWidget list;
  list.addItems({"x", "y", "z"});
  list.setCurrentRow(2);
  ComPtr<IDispatch> object = Wrap(&list);
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(CallByName(lists.get(), u"ItemUp", {Object(object.get())}, &result), S_OK);
  EXPECT_EQ(ItemsOf(&list), QStringList({"x", "z", "y"}));
  ASSERT_EQ(CallByName(lists.get(), u"ITEMDOWN", {Object(object.get())}, &result), S_OK);
  EXPECT_EQ(ItemsOf(&list), QStringList({"x", "y", "z"}));

  Bstr item = Bstr::FromUtf8("y");
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = item.get();
  ASSERT_EQ(CallByName(lists.get(), u"checklist", {Object(object.get()), text}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
}

}  // namespace
}  // namespace avole
