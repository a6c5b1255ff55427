#pragma once
// Running an assistant of the settings for an exception: its forms one after
// another, modal to the parent window, on the calling (handling) thread.
#include <windows.h>

#include <string>

class TIMEException;

// Shows the assistant of that name. Returns -1 when there is no such
// assistant (show the full dialog instead), 3 when the user cancelled (the
// action that started it counts as handled), 1 when it finished: the fields
// of the forms left with Continue are then in the report and every form's
// values in the exception's form cache.
int RunAssistant(const std::string& name, HWND parent, TIMEException& exception);

// The assistant run before sending (SendAssis).
int RunSendAssistant(HWND parent, TIMEException& exception);
