// The create functions of AVOLE's classes, for the class table. A class
// that this build does not implement has a null create function.
#pragma once

#include "platform/com/unknown.h"

namespace avole {

using CreateFunction = HRESULT (*)(REFIID riid, void** object);

extern const CreateFunction CreateReg;
extern const CreateFunction CreateIni;
extern const CreateFunction CreateSystem;
extern const CreateFunction CreateListControl;
extern const CreateFunction CreateWindow;

}  // namespace avole
