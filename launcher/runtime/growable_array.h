// PURPOSE: the one growable array the launcher keeps its lists in (command
// fields, the menu's buttons, the known-directory cache).
#pragma once
#include <stdint.h>
#include <new>
#include "heap.h"

// Growth adds capacity / 3 + 4 elements: 4, 9, 16, 25, 37, 53, 74, 102, ...
inline uint32_t GrowthStep(uint32_t capacity) {
    return capacity / 3 + 4;
}

// Elements are plain values: new storage is value-initialised, old elements
// are copied over before the old storage goes, and nothing is destroyed.
// The array owns its storage, not what its elements point to. An array on
// the stack is destroyed explicitly by its owner after the protected block
// that used it, on both paths.
template <class T>
struct GrowableArray {
    uint32_t count;
    uint32_t capacity;
    T* storage;

    T& operator[](uint32_t index) { return storage[index]; }
    const T& operator[](uint32_t index) const { return storage[index]; }
};

template <class T>
void InitArray(GrowableArray<T>& array) {
    array.count = 0;
    array.capacity = 0;
    array.storage = 0;
}

// Releases the storage; the array is empty afterwards.
template <class T>
void Reset(GrowableArray<T>& array) {
    array.count = 0;
    array.capacity = 0;
    Release(array.storage);
}

template <class T>
void Destroy(GrowableArray<T>& array) {
    Reset(array);
}

// Stores the element at the end, growing first when full. Raises -14 when
// memory runs out; the array is then unchanged.
template <class T>
void Append(GrowableArray<T>& array, const T& element) {
    if (array.count == array.capacity) {
        uint32_t capacity = array.capacity + GrowthStep(array.capacity);
        T* storage = AllocateArrayOrRaise<T>(capacity);
        for (uint32_t i = 0; i < capacity; ++i) new (&storage[i]) T();
        for (uint32_t i = 0; i < array.count; ++i) storage[i] = array.storage[i];
        Release(array.storage);
        array.storage = storage;
        array.capacity = capacity;
    }
    array.storage[array.count++] = element;
}
