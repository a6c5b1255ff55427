#pragma once
// Exception objects for what the framework has none of its own: system
// exceptions (faults, division by zero, stack overflow) and the runtime's
// abnormal termination. Any thread.
#include <windows.h>

#include <exception>

#include "framework/Exception.h"

// Every system exception's object derives from this.
RAVELIN_EXCEPTION_CLASS(EExternal, Exception);
RAVELIN_EXCEPTION_CLASS(EAccessViolation, EExternal);
RAVELIN_EXCEPTION_CLASS(EStackOverflow, EExternal);
RAVELIN_EXCEPTION_CLASS(EIntError, EExternal);
RAVELIN_EXCEPTION_CLASS(EDivByZero, EIntError);
RAVELIN_EXCEPTION_CLASS(EIntOverflow, EIntError);
RAVELIN_EXCEPTION_CLASS(ERangeError, EIntError);
RAVELIN_EXCEPTION_CLASS(EMathError, EExternal);
RAVELIN_EXCEPTION_CLASS(EPrivilege, EExternal);
RAVELIN_EXCEPTION_CLASS(EControlC, EExternal);
RAVELIN_EXCEPTION_CLASS(EExternalException, EExternal);
// The runtime ended the program abnormally (std::terminate).
RAVELIN_EXCEPTION_CLASS(BcbTermination, Exception);

// The object for a system exception, with the message of its code; null
// when it cannot be made (no memory left).
std::exception_ptr SystemExceptionObject(const EXCEPTION_RECORD& record) noexcept;
