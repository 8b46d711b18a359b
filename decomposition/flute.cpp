#include "decomposition/flute.h"

void readLUT() {}
