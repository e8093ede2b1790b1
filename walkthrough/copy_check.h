// PURPOSE: checking a copy step from outside: where its destination lies
// (as the launcher resolves it) and whether it holds the disc's bytes.
#pragma once
#include <string>

// The destination of a copy command: relative names lie under the Windows
// directory, as the launcher completes them.
std::string CopyDestination(const std::string& destination);

// Removes a file or a whole directory tree; true when nothing is left.
bool RemoveTree(const std::string& path);

// Compares a copied file or tree with its source, byte for byte; an empty
// result means equal, else it says what differs first.
std::string CompareCopy(const std::string& source, const std::string& copy);
