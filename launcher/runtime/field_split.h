// PURPOSE: cutting a writable string into fields in place.
#pragma once
#include "growable_array.h"

typedef GrowableArray<char*> FieldArray;

// Cuts text at every separator (double-byte-aware) and fills fields with
// pointers to the pieces, which live in text. An empty text gives no field;
// an empty field between two separators, or before a leading one, counts; a
// trailing separator adds no field. Raises -14 when memory runs out.
void Split(char* text, char separator, FieldArray& fields);
