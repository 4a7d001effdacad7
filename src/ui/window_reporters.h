// The window's message box and yes/no question, installed into the reporter at start-up.
#pragma once

// Message boxes: caption "ORLEY v1.0", the warning icon and an OK button. Questions: the same
// caption, the question icon, Yes and No. Both are modal over the active window.
void InstallWindowReporters();
