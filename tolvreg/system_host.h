// The helper's host on the running system: the Win32 registry, the version
// the system reports, the warning box, the helper's own folder and the long
// form of paths.
#pragma once

#include "tolvreg/helper.h"

namespace tolvreg {

HelperHost& systemHost();

}  // namespace tolvreg
