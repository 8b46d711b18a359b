#pragma once
// Designs the placing modes (LEGAL, PLACE, TWOPIN) refuse before they build or
// legalize a placement: each ends the run with one line on standard error and
// status 1.

#include <string>

#include "database/NetDB.h"

class Placement;

// The name of object i in the design files: "o" and its number, or "p" and its
// number among the objects after the first objectCount.
std::string objectName(const NetDB& db, int i);

// Rows whose sites are not one database unit wide and apart (the placement
// takes a row's site count as its width), and movable objects taller than the
// rows (the legalizer keeps each cell within one row). Names the file and line.
void refuseUnplaceableDesign(const NetDB& db);

// A legalization that cannot succeed on the free row segments of p: the movable
// cells' area exceeds theirs, or a movable cell is wider than every one of them.
void refuseImpossibleLegalization(const NetDB& db, const Placement& p);
