// PURPOSE: creating the missing directories above a path.
#pragma once

// Creates every missing directory of path except its last component, the
// outermost first. A path that ends in a backslash has an empty last
// component, so every directory it names is created. Raises -3 when no
// existing directory can be found above the path, -GetLastError() when a
// directory cannot be created, -14 when memory runs out.
void CreateParentDirectories(const char* path);
