// The helper's host on the running system: the Win32 registry, the version
// the system reports and the warning box.
#pragma once

#include "tolvreg/helper.h"

namespace tolvreg {

HelperHost& systemHost();

}  // namespace tolvreg
