// PURPOSE: the fault campaign's runner on its own, for the campaign's slice
// among the tests: fault_driver <case list> <time limit ms>.
#include <stdio.h>
#include <stdlib.h>
#include "driver_tasks.h"

int main(int argc, char** argv) {
    setvbuf(stdout, 0, _IONBF, 0);
    if (argc != 3) {
        fprintf(stderr, "usage: fault_driver <case list> <time limit ms>\n");
        return 2;
    }
    return RunFaultCases(argv[1], atoi(argv[2]));
}
