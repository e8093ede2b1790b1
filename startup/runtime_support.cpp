// PURPOSE: what the compiler expects from a C runtime that the programs do not
// link: memory block helpers, heap-backed new/delete, atexit and the
// pure-virtual trap. Built with -fno-tree-loop-distribute-patterns so that the
// loops below are not turned back into calls to themselves.
#include <windows.h>
#include <stddef.h>
#include "exit_handlers.h"

extern "C" {

void* memcpy(void* destination, const void* source, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(destination);
    const unsigned char* s = static_cast<const unsigned char*>(source);
    while (size--) *d++ = *s++;
    return destination;
}

void* memmove(void* destination, const void* source, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(destination);
    const unsigned char* s = static_cast<const unsigned char*>(source);
    if (d < s) {
        while (size--) *d++ = *s++;
    } else {
        while (size--) d[size] = s[size];
    }
    return destination;
}

void* memset(void* destination, int value, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(destination);
    while (size--) *d++ = static_cast<unsigned char>(value);
    return destination;
}

int memcmp(const void* a, const void* b, size_t size) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; size; --size, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end) ++end;
    return static_cast<size_t>(end - text);
}

int atexit(void (*handler)()) { return RegisterExitHandler(handler) ? 0 : -1; }

void __cxa_pure_virtual() { ExitProcess(255); }

}  // extern "C"

void* operator new(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void* operator new[](size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void operator delete(void* block) noexcept { if (block) HeapFree(GetProcessHeap(), 0, block); }
void operator delete[](void* block) noexcept { if (block) HeapFree(GetProcessHeap(), 0, block); }
void operator delete(void* block, size_t) noexcept { if (block) HeapFree(GetProcessHeap(), 0, block); }
void operator delete[](void* block, size_t) noexcept { if (block) HeapFree(GetProcessHeap(), 0, block); }
