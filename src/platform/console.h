#pragma once

// Standard output and error of the command line, the same bytes on every platform.
namespace Platform {

// Windows: binary mode (no "\r" added to "\n") and UTF-8 on the console, so names in
// Chinese print as they are. Elsewhere nothing to do.
void prepareStdio();

// True when standard error is a terminal that takes the cursor sequences the progress
// display redraws with; false for files, pipes and the NUL device.
bool stderrIsTerminal();

} // namespace Platform
