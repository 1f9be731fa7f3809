// Hiding and showing the task bars and the Start button.
#pragma once

#include "lock/policy_restore.h"

namespace qvdll {

// Hides every visible task bar (the primary one and those of other monitors) and Start
// button. Each window hidden is first noted in the registry beside the saved policies, so a
// lock that ends abnormally can still be undone. Repeated calls also catch a task bar the
// shell has created again meanwhile.
void HideTaskbars(qv::PolicyRegistry& registry);
// Shows again what HideTaskbars hid, in this process or in one that ended without showing
// them; windows that were hidden before the lock (the system keeps some task bars hidden)
// stay as they are.
void ShowTaskbars(qv::PolicyRegistry& registry);
// The start-up repair: shows what an earlier process hid and never showed again, unless this
// process holds task bars hidden itself.
void RepairTaskbars(qv::PolicyRegistry& registry);

}  // namespace qvdll
