#include "host/host_version.h"

uint32_t gHostVersion = 0x12050000;
