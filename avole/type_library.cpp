#include "avole/type_library.h"

#include "avole/avole.h"
#include "avole/classes.h"

namespace avole {
namespace {

using qb::CoclassSpec;
using qb::DescribeMethod;
using qb::DescribeProperty;
using qb::InterfaceSpec;

InterfaceSpec Interface(const char16_t* name, const IID& iid) {
  InterfaceSpec spec;
  spec.name = name;
  spec.iid = iid;
  return spec;
}

qb::TypeLibSpec Describe() {
  qb::TypeLibSpec lib;
  lib.name = u"AVOLE";
  lib.help = u"Arvenda Software OLEｻｰﾊﾞｰ";
  lib.libid = LIBID_AVOLE;
  lib.major = 1;
  lib.minor = 0;
  lib.lcid = 0x0409;
  lib.syskind = SYS_WIN32;
  lib.flags = 0;

  InterfaceSpec reg = Interface(u"_Reg", IID__Reg);
  reg.methods = {
      DescribeMethod<&_Reg::Getting>(u"Getting", 0x6003001C, {u"Node", u"Section", u"Key"}),
      DescribeMethod<&_Reg::Saving>(u"Saving", 0x60030020, {u"Node", u"Section", u"Key", u"Chr"}),
      DescribeMethod<&_Reg::DelKey>(u"DelKey", 0x60030024, {u"Node", u"Section", u"Key"}),
      DescribeMethod<&_Reg::DelSection>(u"DelSection", 0x60030028, {u"Node", u"Section", u"Key"}),
  };
  InterfaceSpec ini = Interface(u"_Ini", IID__Ini);
  ini.methods = {
      DescribeMethod<&_Ini::Saving>(u"Saving", 0x6003001C,
                                    {u"Section", u"Key", u"Dat", u"Filename"}),
      DescribeMethod<&_Ini::Getting>(u"Getting", 0x60030020, {u"Section", u"Key", u"Filename"}),
  };
  InterfaceSpec system = Interface(u"_System", IID__System);
  system.methods = {
      DescribeProperty<&_System::get_WindowsPath>(u"WindowsPath", 0x6803001C),
      DescribeMethod<&_System::FormPoint>(u"FormPoint", 0x60030020, {u"AForm", u"Mode", u"S_hWnd"}),
  };
  InterfaceSpec list = Interface(u"_ListControl", IID__ListControl);
  list.methods = {
      DescribeMethod<&_ListControl::CheckList>(u"CheckList", 0x6003001C, {u"Ac", u"Item"}),
      DescribeMethod<&_ListControl::ItemUp>(u"ItemUp", 0x60030020, {u"Ac"}),
      DescribeMethod<&_ListControl::ItemDown>(u"ItemDown", 0x60030024, {u"Ac"}),
  };
  InterfaceSpec window = Interface(u"_Window", IID__Window);
  window.methods = {
      DescribeMethod<&_Window::SetWord>(u"SetWord", 0x6003001C, {u"AcF", u"WhWnd"}),
  };

  auto coclass = [](const char16_t* name, const CLSID& clsid, const IID& iid,
                    HRESULT (*create)(REFIID, void**)) {
    CoclassSpec c;
    c.name = name;
    c.clsid = clsid;
    c.default_interface = iid;
    c.create = create;
    return c;
  };
  lib.types = {
      reg,    coclass(u"Reg", CLSID_Reg, IID__Reg, CreateReg),
      ini,    coclass(u"Ini", CLSID_Ini, IID__Ini, CreateIni),
      system, coclass(u"System", CLSID_System, IID__System, CreateSystem),
      list,   coclass(u"ListControl", CLSID_ListControl, IID__ListControl, CreateListControl),
      window, coclass(u"Window", CLSID_Window, IID__Window, CreateWindow),
  };
  return lib;
}

}  // namespace

const qb::TypeLibModel& Model() {
  static const qb::TypeLibModel model = qb::TypeLibModel::BuildOrDie(Describe());
  return model;
}

}  // namespace avole
