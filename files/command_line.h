// What a command-line program does first, so that it behaves alike on every system:
// - its arguments in UTF-8, the encoding of names throughout (on Windows they are taken from the
//   wide-character command line, so that names in any language reach the file layer whole);
// - standard error unbuffered: the C runtime of Windows buffers it when it is redirected, and a
//   log that captures both streams would lose the order of the messages;
// - UTF-8 output on a Windows console, restored at exit.
#pragma once

// Call first thing in main. *argv may be replaced by a copy that lives until the program ends.
void startCommandLine(int* argc, char*** argv);
