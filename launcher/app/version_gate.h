// PURPOSE: refuses Windows versions the installation cannot run on and asks
// before going on with early Windows 95 releases.
#pragma once

// Windows NT before 4.0, an unknown platform or no version information: the
// "NT 4.0 or later" dialog (B + 1), then raises 1. Windows 95 before build
// 1111 without a SubVersionNumber: the question dialog (B + 2); anything but
// OK raises 1.
void CheckWindowsVersion();
