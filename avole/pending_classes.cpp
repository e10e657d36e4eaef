// Classes of the class table whose implementation is not part of this build:
// their class factory answers CLASS_E_CLASSNOTAVAILABLE.
#include "avole/classes.h"

namespace avole {

const CreateFunction CreateIni = nullptr;
const CreateFunction CreateSystem = nullptr;
const CreateFunction CreateListControl = nullptr;
const CreateFunction CreateWindow = nullptr;

}  // namespace avole
