// PURPOSE: the fault campaign's driver: fault_driver faults <case list>
// <time limit ms>, run by the campaign (campaign/run) and by its slice among
// the tests.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "fault_cases.h"

int main(int argc, char** argv) {
    setvbuf(stdout, 0, _IONBF, 0);
    if (argc != 4 || strcmp(argv[1], "faults") != 0) {
        fprintf(stderr, "usage: fault_driver faults <case list> <time limit ms>\n");
        return 2;
    }
    return RunFaultCases(argv[2], atoi(argv[3]));
}
