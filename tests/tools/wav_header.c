/* formats/wav.h compiled as C, as a C program that writes the log format would. */
#include "formats/wav.h"

void bs_test_makeWavHeaderInC(uint32_t dataBytes, uint8_t* header);

void bs_test_makeWavHeaderInC(uint32_t dataBytes, uint8_t* header)
{
    bs_makeWavHeader(dataBytes, header);
}
