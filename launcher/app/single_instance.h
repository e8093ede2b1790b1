// PURPOSE: one launcher per disc path: later copies bring the first one's
// window forward and stop quietly.
#pragma once

// Claims the instance mapping, named after the launcher's path with forward
// slashes in upper case, and stores this process's id in it. When another copy holds it,
// activates that copy's window and raises 1; also raises 1 when the mapping
// cannot be made.
void ClaimSingleInstance();

// Closes the instance mapping if this copy holds it.
void ReleaseSingleInstance();
