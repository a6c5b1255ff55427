#pragma once
// The program's start: the application object, the main window, the message
// loop, and the fallback that shows whatever escapes them.

// Steps 1 to 4 of the start: initialise, title "Ravelin", create the main
// window, run until it closes.
void StartRavelin();

// Runs steps inside the fallback: a framework exception is shown by the
// application's ShowException; anything else is shown as an exception with an
// empty message. Then frees the forms the steps left. Always returns 0.
int RunWithFallback(void (*steps)());
