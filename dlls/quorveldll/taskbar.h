// Hiding and showing the task bars and the Start button.
#pragma once

namespace qvdll {

// Hides every task bar (the primary one and those of other monitors) and the Start button.
// Repeated calls also catch a task bar the shell has created again meanwhile.
void HideTaskbars();
// Shows every task bar and Start button again.
void ShowTaskbars();

}  // namespace qvdll
