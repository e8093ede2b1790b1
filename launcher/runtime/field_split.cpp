// PURPOSE: cutting a writable string into fields in place.
#include "field_split.h"
#include "char_search.h"

void Split(char* text, char separator, FieldArray& fields) {
    Reset(fields);
    char* at = text;
    while (*at != '\0') {
        Append(fields, at);
        char* found = FindFirstChar(at, separator);
        if (!found) return;
        *found = '\0';
        at = found + 1;
    }
}
