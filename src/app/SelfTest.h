#pragma once
// `veltaro --self-test`: a smoke check of an installed or unpacked program. It makes the main
// window as a start does, looks for what the program needs besides its own file (the manual's
// contents, the start and stop cues, a picture), and closes it again, touching nothing of the
// operator's: no settings read or written, no exit copy, no journal, no serial device.
// Prints what is missing and returns the process's exit code (0: all there).
int RunSelfTest();
