#pragma once

/// One run of the program, from the command line to the last report, and in a window of
/// its own the wait for a key before it closes. The process then ends with exit code 0,
/// whatever happened.
void run();
