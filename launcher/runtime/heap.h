// PURPOSE: heap blocks for the launcher; a failed allocation raises -14.
#pragma once
#include <stddef.h>

void* AllocateOrRaise(size_t size);

// Releases the block (if any) and nulls the variable that held it.
void ReleaseBlock(void*& block);

template <class T>
T* AllocateArrayOrRaise(size_t count) {
    return static_cast<T*>(AllocateOrRaise(count * sizeof(T)));
}

template <class T>
void Release(T*& block) {
    void* raw = const_cast<void*>(static_cast<const void*>(block));
    ReleaseBlock(raw);
    block = 0;
}
