// bscomp: compiles sample descriptors, macro scripts and music scripts into packages.
#include "compiler/driver.h"

int main(int argc, char** argv)
{
    return runCompiler(argc, argv);
}
