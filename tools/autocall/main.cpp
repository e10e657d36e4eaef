// autocall: a late-bound automation client for scripts.
//
//   autocall PROGID|CLSID MEMBER [ARG...]
//
// Creates the object, finds MEMBER by name through IDispatch, passes the
// arguments (as integers where the type library declares an integer
// parameter: decimal or 0x hexadecimal; otherwise as text) and prints the
// result on one line: text as it is, a truth value as True or False, a number
// in decimal, nothing for no result. A member that is a property is read.
// Exit status 0 on success; 1 with a one-line message naming the failure; 2
// on a usage error.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/com.h"

namespace {

constexpr const char* kUsage =
    "Usage: autocall PROGID|CLSID MEMBER [ARG...]\n"
    "Creates an object of an in-process automation server registered for this\n"
    "user, calls MEMBER by name with the arguments, and prints the result.\n"
    "Arguments are integers (decimal or 0x hexadecimal) where the member takes\n"
    "an integer, text otherwise. Example:\n"
    "  autocall AVOLE.Reg Getting 0x80000001 'Software\\Arvenda\\Quillbox95\\FormPoint' Top\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "autocall: %s\nTry 'autocall --help' for more information.\n",
               message.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "autocall: %s\n", message.c_str());
  return 1;
}

std::string Hex(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<uint32_t>(hr));
  return buffer;
}

std::string Describe(HRESULT hr) {
  switch (hr) {
    case REGDB_E_CLASSNOTREG:
      return "class not registered";
    case CO_E_DLLNOTFOUND:
      return "the class's library is missing";
    case CO_E_ERRORINDLL:
      return "the class's library cannot be loaded";
    case CLASS_E_CLASSNOTAVAILABLE:
      return "the library does not provide this class";
    case DISP_E_BADPARAMCOUNT:
      return "wrong number of arguments";
    case DISP_E_TYPEMISMATCH:
      return "an argument has the wrong type";
    case DISP_E_OVERFLOW:
      return "an argument is out of range";
    case DISP_E_PARAMNOTOPTIONAL:
      return "a required argument is missing";
    case DISP_E_MEMBERNOTFOUND:
      return "the member cannot be called that way";
    default:
      return "error " + Hex(hr);
  }
}

// The integer type of parameter |i| of the member, or VT_EMPTY when the
// type library does not declare an integer there.
VARTYPE IntegerParameter(const FUNCDESC* f, int i) {
  if (f == nullptr || i >= f->cParams) return VT_EMPTY;
  const TYPEDESC* t = &f->lprgelemdescParam[i].tdesc;
  if (t->vt == VT_PTR && t->lptdesc != nullptr) t = t->lptdesc;
  return qb::IsIntegerType(t->vt) ? t->vt : VARTYPE{VT_EMPTY};
}

// Reads a decimal or 0x hexadecimal integer. Hexadecimal up to 0xFFFFFFFF
// is taken as 32 bits, so 0x80000001 is the key handle it names.
bool ParseInteger(const char* text, int64_t* value) {
  errno = 0;
  char* end = nullptr;
  bool hex = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'));
  if (hex) {
    uint64_t u = std::strtoull(text + 2, &end, 16);
    if (errno || end == text + 2 || *end) return false;
    *value =
        u <= 0xFFFFFFFFu ? static_cast<int32_t>(static_cast<uint32_t>(u)) : static_cast<int64_t>(u);
    return true;
  }
  long long v = std::strtoll(text, &end, 10);
  if (errno || end == text || *end) return false;
  *value = v;
  return true;
}

void Print(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      return;
    case VT_BSTR:
      std::printf("%s\n", qb::Utf8FromBstr(v.bstrVal).c_str());
      return;
    case VT_BOOL:
      std::printf("%s\n", v.boolVal ? "True" : "False");
      return;
    default: {
      VARIANT text;
      VariantInit(&text);
      if (SUCCEEDED(VariantChangeType(&text, &v, 0, VT_BSTR))) {
        std::printf("%s\n", qb::Utf8FromBstr(text.bstrVal).c_str());
      }
      VariantClear(&text);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc >= 2 && !std::strcmp(argv[1], "--version")) {
    std::printf("autocall %s\n", QB_VERSION);
    return 0;
  }
  if (argc < 3) return Usage("a class and a member are needed");
  const std::string class_name = argv[1], member = argv[2];

  CLSID clsid;
  std::u16string class_text = qb::Utf8ToUtf16(class_name);
  if (FAILED(CLSIDFromString(class_text.c_str(), &clsid)) || clsid == CLSID_NULL) {
    return Fail(class_name + ": class not registered");
  }
  qb::ComPtr<IDispatch> object;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(object.out()));
  if (FAILED(hr)) return Fail(class_name + ": " + Describe(hr));

  std::u16string name16 = qb::Utf8ToUtf16(member);
  LPOLESTR names[] = {name16.data()};
  DISPID dispid = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid))) {
    return Fail(class_name + ": no member named " + member);
  }

  // The member's declaration, to tell integer parameters from text.
  qb::ComPtr<ITypeInfo> info;
  FUNCDESC* found = nullptr;
  if (SUCCEEDED(object->GetTypeInfo(0, 0, info.out())) && info) {
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      for (UINT i = 0; i < attr->cFuncs && found == nullptr; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        if (f->memid == dispid) {
          found = f;
        } else {
          info->ReleaseFuncDesc(f);
        }
      }
      info->ReleaseTypeAttr(attr);
    }
  }

  const int count = argc - 3;
  std::vector<VARIANT> args(count);
  int status = 0;
  for (int i = 0; i < count && status == 0; ++i) {
    VARIANT& v = args[count - 1 - i];  // arguments go in reverse order
    VariantInit(&v);
    const char* text = argv[3 + i];
    if (IntegerParameter(found, i) != VT_EMPTY) {
      int64_t n = 0;
      if (!ParseInteger(text, &n)) {
        status = Fail(std::string("argument ") + std::to_string(i + 1) + " ('" + text +
                      "') is not an integer");
      } else if (n >= INT32_MIN && n <= INT32_MAX) {
        v.vt = VT_I4;
        v.lVal = static_cast<int32_t>(n);
      } else {
        v.vt = VT_I8;
        v.llVal = n;
      }
    } else {
      v.vt = VT_BSTR;
      v.bstrVal = qb::AllocBstrFromUtf8(text);
    }
  }
  if (found != nullptr) info->ReleaseFuncDesc(found);

  if (status == 0) {
    DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(count), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception = {};
    UINT arg_error = 0;
    hr = object->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                        &result, &exception, &arg_error);
    if (hr == DISP_E_EXCEPTION) {
      HRESULT raised = exception.scode != 0 ? exception.scode : E_FAIL;
      status = Fail(member + " failed: " + Describe(raised));
    } else if (FAILED(hr)) {
      status = Fail(member + ": " + Describe(hr));
    } else {
      Print(result);
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    VariantClear(&result);
  }
  for (VARIANT& v : args) VariantClear(&v);
  return status;
}
