#pragma once

/// One run of the program, from the command line to the last report. The process then
/// ends with exit code 0, whatever happened.
void run();
