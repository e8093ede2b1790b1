// PURPOSE: heap blocks for the launcher.
#include "heap.h"
#include <windows.h>
#include "error_frame.h"

void* AllocateOrRaise(size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    if (!block) RaiseError(kOutOfMemory);
    return block;
}

void ReleaseBlock(void*& block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
    block = 0;
}
