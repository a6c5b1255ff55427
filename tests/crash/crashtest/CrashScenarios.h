#pragma once
// The hidden crash trigger of the crash-test build of Ravelin: a scenario
// named on the command line ("/crashtest:NAME") raises one kind of exception
// once the main window runs, and every handled report is logged with its
// catch point to "crashtest.log" beside the executable. Never part of the
// shipped program. Main thread only.
#include <string>

// Reads the scenario from the command line; false when none is named.
bool ArmCrashScenario(const std::string& commandLine);
// Starts the scenario's timer; call once the main form exists.
void StartCrashScenario();
// Appends a line to the log.
void CrashLog(const std::string& line);
