// PURPOSE: keeps a DLL planted beside the program (a disc folder copied to a
// downloads folder, say) from being loaded in place of a system DLL.
#pragma once

// Limits the search for DLLs that are loaded after start-up to the system
// directory where Windows offers that, else takes the current directory out
// of the search; does nothing on Windows versions that offer neither. Must
// run before any code that could load a DLL by name.
void RestrictDllSearch();
