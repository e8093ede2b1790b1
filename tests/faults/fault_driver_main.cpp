// PURPOSE: the fault campaign's runner on its own, for the campaign's slice
// among the tests: fault_driver faults <case list> <time limit ms>, the same
// command line as the benchmark driver's.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "driver_tasks.h"

int main(int argc, char** argv) {
    setvbuf(stdout, 0, _IONBF, 0);
    if (argc != 4 || strcmp(argv[1], "faults") != 0) {
        fprintf(stderr, "usage: fault_driver faults <case list> <time limit ms>\n");
        return 2;
    }
    return RunFaultCases(argv[2], atoi(argv[3]));
}
