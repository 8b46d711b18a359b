#pragma once
// FLUTE rectilinear Steiner trees from lookup tables.

// Loads "POWV9.dat" and "POST9.dat" from the working directory.
void readLUT();
