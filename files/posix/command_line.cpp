#include "files/command_line.h"

// Arguments are bytes, UTF-8 by convention, and standard error is unbuffered already.
void startCommandLine(int*, char***)
{
}
