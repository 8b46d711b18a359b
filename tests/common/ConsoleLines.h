#pragma once
// Reading a run's console output in the tests.

#include <sstream>
#include <string>
#include <vector>

// The lines strictly between the line starting with `first` and the next line
// starting with `last`.
inline std::vector<std::string> linesBetween(const std::string& out, const std::string& first,
                                             const std::string& last) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind(first, 0) == 0) {
            inside = true;
            continue;
        }
        if (inside && line.rfind(last, 0) == 0) break;
        if (inside) lines.push_back(line);
    }
    return lines;
}
