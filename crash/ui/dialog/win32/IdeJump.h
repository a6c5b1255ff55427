#pragma once
// Asking a running development environment to show a source line: the
// registered message "OstrelIdeJumpCommand" goes to every top-level window
// of the class "ostToolsMsgHandlerWindow", with the process id as wParam
// and a global atom holding the line's text as lParam (valid during the
// call; the sender deletes it afterwards). Each window has one second to
// answer. Any thread.
#include <string>

extern const char kIdeJumpMessage[];
extern const char kIdeWindowClass[];

// How many windows answered within the time-out.
int SendIdeJump(unsigned long processId, const std::string& line);
