#include "tests/platform/com/sample_class.h"

namespace qb::com_test {
namespace {

class SampleObject final : public AutomationObject<_Sample> {
 public:
  SampleObject() : AutomationObject(SampleModel(), kIidSample) {}

  HRESULT Repeat(LONG* Count, BSTR* Text, BSTR* result) override {
    if (*Count < 0) return E_INVALIDARG;
    std::u16string text;
    for (LONG i = 0; i < *Count; ++i) text += BstrView(*Text);
    *result = AllocBstr(text);
    *Count = static_cast<LONG>(text.size());
    ++calls_;
    return S_OK;
  }
  HRESULT Swap(BSTR* First, BSTR* Second, VARIANT_BOOL* result) override {
    std::swap(*First, *Second);
    *result = VARIANT_TRUE;
    ++calls_;
    return S_OK;
  }
  HRESULT get_Calls(LONG* result) override {
    *result = calls_;
    return S_OK;
  }
  HRESULT Describe(VARIANT* Value, BSTR* result) override {
    if (Value->vt == VT_ERROR && Value->scode == DISP_E_PARAMNOTFOUND) {
      *result = AllocBstr(u"missing");
    } else {
      VARIANT text;
      VariantInit(&text);
      HRESULT hr = VariantChangeType(&text, Value, 0, VT_BSTR);
      if (FAILED(hr)) return hr;
      *result = text.bstrVal;
    }
    VariantClear(Value);
    Value->vt = VT_BSTR;
    Value->bstrVal = AllocBstr(u"seen");
    ++calls_;
    return S_OK;
  }

 private:
  LONG calls_ = 0;
};

TypeLibSpec SampleSpec() {
  TypeLibSpec lib;
  lib.name = u"QbComTest";
  lib.help = u"Test server ﾃｽﾄ";
  lib.libid = kLibId;
  lib.lcid = 0x0409;
  InterfaceSpec sample;
  sample.name = u"_Sample";
  sample.iid = kIidSample;
  sample.methods = {
      DescribeMethod<&_Sample::Repeat>(u"Repeat", kDispidRepeat, {u"Count", u"Text"}),
      DescribeMethod<&_Sample::Swap>(u"Swap", kDispidSwap, {u"First", u"Second"}),
      DescribeProperty<&_Sample::get_Calls>(u"Calls", kDispidCalls),
      DescribeMethod<&_Sample::Describe>(u"Describe", kDispidDescribe,
                                         {{u"Value", VT_VARIANT, PARAMFLAG_FOPT}}),
  };
  sample.methods[0].help = u"Repeats a text";
  CoclassSpec coclass;
  coclass.name = u"Sample";
  coclass.clsid = kClsidSample;
  coclass.default_interface = kIidSample;
  coclass.create = &CreateAutomationObject<SampleObject>;
  lib.types = {std::move(sample), std::move(coclass)};
  return lib;
}

}  // namespace

const TypeLibModel& SampleModel() {
  static const TypeLibModel model = TypeLibModel::BuildOrDie(SampleSpec());
  return model;
}

}  // namespace qb::com_test
