#pragma once
// The reporter's presentation of one exception (the presenter the crash
// reporter is given): by the exception's Presentation, nothing (4), the
// simple box (3), the full dialog with the report (2) or without it (0),
// the assistant (1; the full dialog while no assistant of that name
// exists). The show button opens the dialog again with the report. A
// restart or close that no handler took ends the process here. Handling
// thread.
class IFlowEnvironment;
class TExceptionHandlers;
class TExceptionHistory;
class TIMEException;

// False when nothing was shown.
bool PresentException(TIMEException& exception, IFlowEnvironment& environment);
bool PresentException(TIMEException& exception, IFlowEnvironment& environment, TExceptionHandlers& handlers,
                      TExceptionHistory& history);
