#pragma once
// Checks of a run's output files, made before any work.

#include <string>
#include <vector>

// Ends the run with status 1 and one line on standard error when an output
// names one of the inputs (the same file, by any path), reaches the same file
// as another output (a link from one to the other, even to one not made yet),
// or cannot be created or written. Nothing is created by the check.
void checkOutputFiles(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

// Puts the run's held output files in place together; a file that cannot be
// put in place ends the run with status 1 and the reason.
void commitRunOutputs();
