// Fuzz target: IDispatch::Invoke (and GetIDsOfNames, and ITypeInfo::Invoke)
// of every AVOLE class with arbitrary members, call kinds, argument counts,
// named arguments and VARIANT types.
//
// The objects are the real library's, registered in a temporary registry
// and created through CoCreateInstance. Arguments are VT_EMPTY, VT_NULL,
// numbers of every width, texts, truth values, errors ("missing" among
// them), null objects, AVOLE's own objects and a hostile control object
// (below), values of unsupported types, and all of these by reference,
// also through a VARIANT variable and with null pointers. Every object
// handed out stays alive for the whole run, so no argument ever dangles.
//
// The hostile control answers QueryInterface as a form, a list box or a
// combo box as the input chooses, and answers each member call (ListCount,
// List(i), AddItem...) with the next answer of a script taken from the
// input: numbers in and out of range, texts, nothing, objects, failures
// with and without exception information. When the script runs out every
// call fails, so no loop of the library runs long.
//
// Checks: nothing crashes or leaks (the sanitizers, libFuzzer's leak
// check); the result and every by-reference variable hold valid values
// afterwards; an argument error index names an argument; the reference
// counts of every object are back where they were; the texts of files the
// calls name stay inside the temporary Windows directory (no text has a
// "/", so no call can write elsewhere).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "avole/avole.h"
#include "platform/com/com.h"
#include "platform/qtbridge/toolkit.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/sandbox.h"

namespace qb::fuzz {
namespace {

// ---------------------------------------------------------------------------
// Values the input chooses from. Texts never hold "/": a name without one is
// a file in the Windows directory, which lies in the temporary directory.

const char16_t* const kTexts[] = {
    u"",
    u"a",
    u"Prompts",
    u"prompts",
    u"x.ini",
    u"Software\\Fuzz",
    u"Software\\Arvenda\\Quillbox95\\Configs",
    u"Editor",
    u"テスト",
    u"\\",
    u"..",
    u".",
    u"a=b",
    u"[x]",
    u";c",
    u"\u301C",
    u"\U0001F600",
    u"\uFFFD",
    u"True",
    u"-1",
    u"&H10",
    u" 12 ",
    u"1e400",
    u"3.5",
    u"line\r\nbreak",
};

const LONG kLongs[] = {0,
                       1,
                       -1,
                       2,
                       3,
                       4,
                       5,
                       8,
                       9,
                       -8,
                       32767,
                       32768,
                       -32768,
                       -32769,
                       65535,
                       2147483647,
                       INT32_MIN,
                       100,
                       static_cast<LONG>(0x80000000),
                       static_cast<LONG>(0x80000001),
                       static_cast<LONG>(0x80000002),
                       static_cast<LONG>(0x80000003)};

const double kDoubles[] = {0.0,
                           0.5,
                           1.5,
                           2.5,
                           -0.5,
                           32767.5,
                           1e10,
                           -1e300,
                           1e300,
                           3.14159,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};

// A short text over a small alphabet: at most 9 + 81 + 729 different ones.
std::u16string SmallText(FuzzedDataProvider& in) {
  static const char16_t kAlphabet[] = {u'a', u'B', u'é', u'あ', u'\\', u'=', u';', u' ', u'\0'};
  std::u16string text;
  size_t n = in.ConsumeIntegralInRange<size_t>(1, 3);
  for (size_t i = 0; i < n; ++i) text.push_back(kAlphabet[in.ConsumeIntegral<uint8_t>() % 9]);
  return text;
}

BSTR NewText(FuzzedDataProvider& in) {
  uint8_t how = in.ConsumeIntegral<uint8_t>();
  if (how < 16) return nullptr;  // the null BSTR, which reads as ""
  if (how < 48) return AllocBstr(SmallText(in));
  if (how < 56) return AllocBstr(std::u16string(300, u'w'));
  if (how < 64) return AllocBstr(std::u16string(u"a\0b", 3));
  return SysAllocString(in.PickValueInArray(kTexts));
}

// ---------------------------------------------------------------------------
// The hostile control.

class HostileControl final : public IDispatch {
 public:
  enum Member : DISPID {
    kListCount = 1,
    kListIndex,
    kList,
    kRemoveItem,
    kAddItem,
    kTop,
    kLeft,
    kHeight,
    kWidth,
    kHwnd
  };

  // What the next run answers: the kinds it claims (bits: 1 form, 2 list
  // box, 4 combo box) and the script of answers.
  void Prepare(uint8_t kinds, std::vector<uint8_t> script) {
    kinds_ = kinds;
    script_ = std::move(script);
    next_ = 0;
  }
  ULONG refs() const { return refs_; }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    bool yes = riid == IID_IUnknown || riid == IID_IDispatch ||
               ((kinds_ & 1) && riid == toolkit::IID_Form) ||
               ((kinds_ & 2) && riid == toolkit::IID_ListBox) ||
               ((kinds_ & 4) && riid == toolkit::IID_ComboBox);
    if (!yes) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    FUZZ_CHECK(refs_ > 1);  // the fixture's own reference is never given up
    return --refs_;
  }
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    FUZZ_CHECK(names != nullptr && ids != nullptr && count >= 1);
    static const char16_t* const kNames[] = {u"ListCount", u"ListIndex", u"List", u"RemoveItem",
                                             u"AddItem",   u"Top",       u"Left", u"Height",
                                             u"Width",     u"hwnd"};
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t k = 0; k < std::size(kNames); ++k) {
      if (names[0] != nullptr && SameName(kNames[k], names[0])) {
        ids[0] = static_cast<DISPID>(k + 1);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT*) override {
    // What a well-behaved caller passes.
    FUZZ_CHECK(params != nullptr && params->cNamedArgs <= params->cArgs);
    FUZZ_CHECK(params->cArgs == 0 || params->rgvarg != nullptr);
    if (flags & DISPATCH_PROPERTYPUT) {
      FUZZ_CHECK(params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT);
    }
    for (UINT i = 0; i < params->cArgs; ++i) {
      VARIANT copy;
      VariantInit(&copy);
      FUZZ_CHECK(SUCCEEDED(VariantCopy(&copy, &params->rgvarg[i])));
      VariantClear(&copy);
    }
    (void)member;
    if (next_ >= script_.size()) return E_FAIL;
    uint8_t answer = script_[next_++];
    uint8_t value = next_ < script_.size() ? script_[next_++] : 0;
    switch (answer % 10) {
      case 0:
      case 1:
        if (result) {
          result->vt = VT_I2;
          result->iVal = static_cast<SHORT>(static_cast<int8_t>(value));
        }
        return S_OK;
      case 2:
        if (result) {
          result->vt = VT_I4;
          result->lVal = kLongs[value % std::size(kLongs)];
        }
        return S_OK;
      case 3:
        if (result) {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocString(kTexts[value % std::size(kTexts)]);
        }
        return S_OK;
      case 4:
        return S_OK;  // VT_EMPTY
      case 5:
        if (result) result->vt = VT_NULL;
        return S_OK;
      case 6:
        if (result) {
          result->vt = VT_R8;
          result->dblVal = kDoubles[value % std::size(kDoubles)];
        }
        return S_OK;
      case 7:
        if (exception) {
          *exception = EXCEPINFO{};
          exception->bstrSource = SysAllocString(u"Hostile");
          exception->bstrDescription = SysAllocString(u"refused");
          exception->scode = (value & 1) ? E_FAIL : S_OK;
        }
        return DISP_E_EXCEPTION;
      case 8:
        if (result) {
          result->vt = VT_DISPATCH;  // converted through its default member
          result->pdispVal = this;
          AddRef();
        }
        return S_OK;
      default:
        return (value & 1) ? DISP_E_MEMBERNOTFOUND : DISP_E_TYPEMISMATCH;
    }
  }

 private:
  ULONG refs_ = 1;
  uint8_t kinds_ = 0;
  std::vector<uint8_t> script_;
  size_t next_ = 0;
};

// ---------------------------------------------------------------------------
// The objects and the members of their classes.

struct ClassInfo {
  CLSID clsid;
  IID iid;
  std::vector<DISPID> members;
};

const ClassInfo kClasses[] = {
    {avole::CLSID_Reg, avole::IID__Reg, {0x6003001C, 0x60030020, 0x60030024, 0x60030028}},
    {avole::CLSID_Ini, avole::IID__Ini, {0x6003001C, 0x60030020}},
    {avole::CLSID_System, avole::IID__System, {0x6803001C, 0x60030020}},
    {avole::CLSID_ListControl, avole::IID__ListControl, {0x6003001C, 0x60030020, 0x60030024}},
    {avole::CLSID_Window, avole::IID__Window, {0x6003001C}},
};
constexpr size_t kClassCount = std::size(kClasses);

struct Fixture {
  IDispatch* objects[kClassCount] = {};
  HostileControl* control = nullptr;
};

Fixture& State() {
  static Fixture fixture;
  return fixture;
}

ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

IDispatch* PickObject(FuzzedDataProvider& in) {
  uint8_t which = in.ConsumeIntegral<uint8_t>() % (kClassCount + 2);
  if (which == kClassCount) return nullptr;
  if (which == kClassCount + 1) return State().control;
  return State().objects[which];
}

// ---------------------------------------------------------------------------
// Arguments. Every variable that a by-reference argument points to lives in
// a deque (stable addresses) until the call has returned and been checked.

struct Variables {
  std::deque<VARIANT> variants;
  std::deque<BSTR> texts;
  std::deque<LONG> longs;
  std::deque<SHORT> shorts;
  std::deque<IDispatch*> objects;
  std::deque<double> doubles;
  std::deque<VARIANT_BOOL> bools;

  ~Variables() {
    for (VARIANT& v : variants) VariantClear(&v);
    for (BSTR b : texts) SysFreeString(b);
    for (IDispatch* d : objects) {
      if (d) d->Release();
    }
  }
};

VARIANT MakeValue(FuzzedDataProvider& in, Variables& vars, int depth);

VARIANT MakeByRef(FuzzedDataProvider& in, Variables& vars, int depth) {
  VARIANT v;
  VariantInit(&v);
  switch (in.ConsumeIntegral<uint8_t>() % 8) {
    case 0:
      v.vt = VT_BYREF | VT_VARIANT;
      vars.variants.push_back(depth < 1 ? MakeValue(in, vars, depth + 1) : VARIANT{});
      v.pvarVal = &vars.variants.back();
      break;
    case 1:
      v.vt = VT_BYREF | VT_BSTR;
      vars.texts.push_back(NewText(in));
      v.pbstrVal = &vars.texts.back();
      break;
    case 2:
      v.vt = VT_BYREF | VT_I4;
      vars.longs.push_back(in.PickValueInArray(kLongs));
      v.plVal = &vars.longs.back();
      break;
    case 3:
      v.vt = VT_BYREF | VT_I2;
      vars.shorts.push_back(static_cast<SHORT>(in.PickValueInArray(kLongs)));
      v.piVal = &vars.shorts.back();
      break;
    case 4: {
      v.vt = VT_BYREF | VT_DISPATCH;
      IDispatch* object = PickObject(in);
      if (object) object->AddRef();
      vars.objects.push_back(object);
      v.ppdispVal = &vars.objects.back();
      break;
    }
    case 5:
      v.vt = VT_BYREF | VT_R8;
      vars.doubles.push_back(in.PickValueInArray(kDoubles));
      v.pdblVal = &vars.doubles.back();
      break;
    case 6:
      v.vt = VT_BYREF | VT_BOOL;
      vars.bools.push_back(in.ConsumeBool() ? VARIANT_TRUE : VARIANT_FALSE);
      v.pboolVal = &vars.bools.back();
      break;
    default: {
      // A by-reference type with a null pointer.
      static const VARTYPE kTypes[] = {VT_VARIANT, VT_BSTR, VT_I4, VT_I2, VT_DISPATCH, VT_BOOL};
      v.vt = VT_BYREF | in.PickValueInArray(kTypes);
      v.byref = nullptr;
      break;
    }
  }
  return v;
}

// A value the caller owns (a BSTR, a reference on an object).
VARIANT MakeValue(FuzzedDataProvider& in, Variables& vars, int depth) {
  VARIANT v;
  VariantInit(&v);
  switch (in.ConsumeIntegral<uint8_t>() % 20) {
    case 0:
      break;  // VT_EMPTY
    case 1:
      v.vt = VT_NULL;
      break;
    case 2:
      v.vt = VT_I2;
      v.iVal = static_cast<SHORT>(in.PickValueInArray(kLongs));
      break;
    case 3:
    case 4:
      v.vt = VT_I4;
      v.lVal = in.PickValueInArray(kLongs);
      break;
    case 5:
      v.vt = VT_R8;
      v.dblVal = in.PickValueInArray(kDoubles);
      break;
    case 6:
    case 7:
    case 8:
      v.vt = VT_BSTR;
      v.bstrVal = NewText(in);
      break;
    case 9:
      v.vt = VT_BOOL;
      v.boolVal = in.ConsumeBool() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case 10:
    case 11:
      v.vt = VT_DISPATCH;
      v.pdispVal = PickObject(in);
      if (v.pdispVal) v.pdispVal->AddRef();
      break;
    case 12:
      v.vt = VT_UNKNOWN;
      v.punkVal = PickObject(in);
      if (v.punkVal) v.punkVal->AddRef();
      break;
    case 13:
      v.vt = VT_ERROR;
      v.scode = in.ConsumeBool() ? DISP_E_PARAMNOTFOUND : E_FAIL;
      break;
    case 14: {
      static const VARTYPE kNumbers[] = {VT_I1,  VT_UI1,  VT_UI2, VT_UI4,  VT_I8, VT_UI8,
                                         VT_INT, VT_UINT, VT_R4,  VT_DATE, VT_CY};
      v.vt = in.PickValueInArray(kNumbers);
      v.llVal = static_cast<LONGLONG>(in.PickValueInArray(kLongs));
      if (v.vt == VT_R4) v.fltVal = static_cast<FLOAT>(in.PickValueInArray(kDoubles));
      if (v.vt == VT_DATE) v.date = in.PickValueInArray(kDoubles);
      break;
    }
    case 15: {
      // A type that is not supported, or not a type at all, with a zero
      // payload (so no pointer in it points anywhere).
      static const VARTYPE kOdd[] = {VT_DECIMAL, VT_ARRAY | VT_I4,   VT_VOID, VT_HRESULT,
                                     VT_LPSTR,   36 /* VT_RECORD */, 0x0FFF};
      v.vt = in.ConsumeBool() ? in.PickValueInArray(kOdd) : in.ConsumeIntegral<VARTYPE>();
      v.llVal = 0;
      break;
    }
    default:
      if (depth > 0) break;
      return MakeByRef(in, vars, depth);
  }
  return v;
}

void CheckValid(const VARIANT& v) {
  VARIANT copy;
  VariantInit(&copy);
  FUZZ_CHECK(SUCCEEDED(VariantCopy(&copy, &v)));
  FUZZ_CHECK(SUCCEEDED(VariantClear(&copy)));
}

}  // namespace
}  // namespace qb::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using qb::fuzz::State;
  qb::fuzz::MakeSandbox("dispatch");
  qb::fuzz::RegisterAvole(AVOLE_LIBRARY);
  for (size_t i = 0; i < qb::fuzz::kClassCount; ++i) {
    FUZZ_CHECK(CoCreateInstance(qb::fuzz::kClasses[i].clsid, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IDispatch,
                                reinterpret_cast<void**>(&State().objects[i])) == S_OK);
  }
  State().control = new qb::fuzz::HostileControl;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qb;
  using namespace qb::fuzz;
  FuzzedDataProvider in(data, size);
  const size_t which = in.ConsumeIntegralInRange<size_t>(0, kClassCount - 1);
  IDispatch* object = State().objects[which];
  const ClassInfo& info = kClasses[which];
  ULONG counts[kClassCount];
  for (size_t i = 0; i < kClassCount; ++i) counts[i] = RefCount(State().objects[i]);

  const uint8_t shape = in.ConsumeIntegral<uint8_t>();
  {
    Variables vars;
    std::vector<uint8_t> script;
    const uint8_t kinds = in.ConsumeIntegral<uint8_t>();

    if (shape % 8 == 7) {
      // GetIDsOfNames with member and parameter names.
      std::vector<Bstr> texts;
      static const char16_t* const kMembers[] = {
          u"Getting",   u"SAVING", u"DelKey",   u"DelSection", u"WindowsPath", u"FormPoint",
          u"CheckList", u"ItemUp", u"ItemDown", u"SetWord",    u"Node",        u"section",
          u"Key",       u"Chr",    u"Ac",       u"Item"};
      UINT count = in.ConsumeIntegralInRange<UINT>(0, 4);
      std::vector<LPOLESTR> names;
      for (UINT i = 0; i < count; ++i) {
        texts.push_back(in.ConsumeBool() ? Bstr(in.PickValueInArray(kMembers))
                                         : Bstr::Adopt(NewText(in)));
        names.push_back(texts.back().get());
      }
      std::vector<DISPID> ids(count + 1, 12345);
      HRESULT hr =
          object->GetIDsOfNames(IID_NULL, count ? names.data() : nullptr, count, 0, ids.data());
      if (count == 0) FUZZ_CHECK(hr == E_INVALIDARG);
      FUZZ_CHECK(ids[count] == 12345);
    } else {
      DISPID member;
      switch (in.ConsumeIntegral<uint8_t>() % 6) {
        case 0:
          member = in.ConsumeIntegral<DISPID>();
          break;
        case 1:
          member = DISPID_VALUE;
          break;
        default:
          member = info.members[in.ConsumeIntegralInRange<size_t>(0, info.members.size() - 1)];
      }
      static const WORD kFlags[] = {DISPATCH_METHOD,      DISPATCH_METHOD,
                                    DISPATCH_PROPERTYGET, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                    DISPATCH_PROPERTYPUT, 0};
      WORD flags = in.ConsumeBool() ? in.PickValueInArray(kFlags) : in.ConsumeIntegral<WORD>();
      const UINT cargs = in.ConsumeIntegralInRange<UINT>(0, 6);
      const UINT cnamed = in.ConsumeIntegralInRange<UINT>(0, cargs);
      std::vector<DISPID> named(cnamed);
      for (DISPID& id : named) id = in.ConsumeIntegralInRange<DISPID>(-3, 5);
      std::vector<VARIANT> args(cargs);
      for (VARIANT& a : args) a = MakeValue(in, vars, 0);
      script = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 48));
      State().control->Prepare(kinds, script);

      DISPPARAMS params = {cargs ? args.data() : nullptr, cnamed ? named.data() : nullptr, cargs,
                           cnamed};
      VARIANT result;
      VariantInit(&result);
      EXCEPINFO exception = {};
      UINT arg_error = 0xFFFFFFFFu;
      const bool want_result = (shape & 1) != 0;
      const bool want_exception = (shape & 2) != 0;
      HRESULT hr;
      if ((shape & 0x30) == 0x30) {
        // Through the type information, as a client without IDispatch does.
        ITypeInfo* type_info = nullptr;
        FUZZ_CHECK(object->GetTypeInfo(0, 0, &type_info) == S_OK && type_info != nullptr);
        hr = type_info->Invoke(object, member, flags, (shape & 4) ? nullptr : &params,
                               want_result ? &result : nullptr,
                               want_exception ? &exception : nullptr, &arg_error);
        type_info->Release();
      } else {
        const IID& riid = (shape & 0x40) ? info.iid : IID_NULL;
        hr = object->Invoke(member, riid, 0, flags, (shape & 4) ? nullptr : &params,
                            want_result ? &result : nullptr, want_exception ? &exception : nullptr,
                            (shape & 8) ? &arg_error : nullptr);
      }
      if (arg_error != 0xFFFFFFFFu) FUZZ_CHECK(arg_error < cargs);
      CheckValid(result);
      FUZZ_CHECK(SUCCEEDED(VariantClear(&result)));
      if (hr == DISP_E_EXCEPTION && want_exception) FUZZ_CHECK(FAILED(exception.scode));
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
      // The arguments: by-value ones are the caller's, and every variable
      // holds a valid value. Values of types that VariantClear does not
      // know carry a zero payload and are dropped as they are.
      for (VARIANT& a : args) {
        if (VariantClear(&a) == DISP_E_BADVARTYPE) a.vt = VT_EMPTY;
      }
      for (VARIANT& v : vars.variants) {
        if (SUCCEEDED(VariantCopy(&result, &v))) {
          VariantClear(&result);
        } else {
          FUZZ_CHECK(v.llVal == 0);
          v.vt = VT_EMPTY;
        }
      }
      for (IDispatch* d : vars.objects) {
        FUZZ_CHECK(d == nullptr || d == State().control ||
                   std::find(std::begin(State().objects), std::end(State().objects), d) !=
                       std::end(State().objects));
      }
    }
  }
  for (size_t i = 0; i < kClassCount; ++i) FUZZ_CHECK(RefCount(State().objects[i]) == counts[i]);
  FUZZ_CHECK(State().control->refs() == 1);
  return 0;
}
