#pragma once

#include <string>

// The small text readers the command line, the automation files and the job share, so that a
// value means the same wherever the user writes it.

// The text without leading and trailing blanks, tabs and carriage returns.
std::string Trim(const std::string& text);

// A finite number filling the whole text.
bool ParseNumber(const std::string& text, double& out);

// A parameter value: a number from 0 to 1 (NaN and infinities are not numbers here).
bool ParseNormalised(const std::string& text, double& out);

// Splits "NAME=VALUE" at the first '=' into its trimmed sides. False when there is no '=' or
// either side is empty (the sides are filled all the same).
bool SplitAssignment(const std::string& text, std::string& name, std::string& value);
