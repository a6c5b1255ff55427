#pragma once
// Hidden exceptions: while hidden-exception handlers are registered, every
// raise of the process is reported to them (event kind 2, catch point 15),
// never shown. Each raise is seen where it is caught (or where the runtime
// takes it to terminate): the linker routes every catch through a wrapper,
// which reports once the caught object is known. A report made while the
// thread already reports is not repeated. Any thread.

// The test of whether any handler wants hidden exceptions; null (the
// default) reports none. Set at start-up, cleared at shutdown.
void SetHiddenExceptionWatch(bool (*anyHandler)());
