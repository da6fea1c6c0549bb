#pragma once
// The program's window icon, "IDI_MAIN_ICON": a golden marsh sun over dark
// water, 32 x 32, drawn here as the program's own resource.
void RegisterGameIcon();
