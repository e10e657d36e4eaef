// AVOLE's type library: library AVOLE {98FCF992-F5E7-11CF-9A73-444553540000}
// 1.0, locale 0x0409, 32-bit Windows, importing stdole; ten types in the
// order _Reg, Reg, _Ini, Ini, _System, System, _ListControl, ListControl,
// _Window, Window. Each interface is hidden, dual, non-extensible and
// automation-compatible; each class is creatable with its interface as the
// default. A class whose implementation is not in this build has no create
// function, so the class factory answers CLASS_E_CLASSNOTAVAILABLE for it.
#pragma once

#include "platform/com/typelib_model.h"

namespace avole {

// Built once, on first use, and kept while the library is loaded.
const qb::TypeLibModel& Model();

}  // namespace avole
