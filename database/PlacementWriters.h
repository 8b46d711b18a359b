#pragma once
// Writers of the placement side: the Bookshelf .pl file and the two-pin dump.
// A file that cannot be created ends the run with status 1 after a message
// naming it on standard error.

struct NetDB;

// Every object's lower-left corner as a .pl file: "o" objects first (movable
// and "terminal"), then the "terminal_NI" objects named "p" from 0.
void outputCell(const char* fileName, NetDB& db);

// Every net's two-pin connections (pin indices) and its pins' positions and layers.
void outputTwoPin(const char* fileName, NetDB& db);
