#pragma once
// Designs the placing modes (LEGAL, PLACE) refuse before they build or legalize
// a placement, and the rows the conversion (CONVERT) refuses before it writes:
// each ends the run with one line on standard error and status 1.

#include <string>

#include "database/NetDB.h"

class Placement;

// The name of object i in the design files: "o" and its number, or "p" and its
// number among the objects after the first objectCount.
std::string objectName(const NetDB& db, int i);

// Rows whose sites are not one database unit wide and apart (the placement
// takes a row's site count as its width), rows as refuseRowsOutsideTheDieOrOverlapping
// refuses them, and movable objects taller than the rows (the legalizer keeps
// each cell within one row). Names the file and line.
void refuseUnplaceableDesign(const NetDB& db);

// A row that reaches outside the die, or two rows that overlap (cells placed
// in both would overlap). Names the row by its .scl line.
void refuseRowsOutsideTheDieOrOverlapping(const NetDB& db);

// The same rows before a conversion; rows past the die's right or top edge
// first print the conversion's own "ERROR" line on standard output.
void refuseRowsForConversion(const NetDB& db);

// A movable object with a pin that some spot the placer may give the object
// would carry outside the coordinate range the readers accept (so the written
// placement could not be read back): any spot of any row, and with `tiles`
// (the re-placement rounds) any tile corner of the die.
void refusePinsCarriedPastTheBound(const NetDB& db, bool tiles);

// A legalization that cannot succeed on the free row segments of p: the movable
// cells' area exceeds theirs, or a movable cell is wider than every one of them.
void refuseImpossibleLegalization(const NetDB& db, const Placement& p);
