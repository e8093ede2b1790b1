// PURPOSE: the benchmark driver's entry: bench_driver <task> <arguments>.
//   startup <SETUP.EXE> <minimal_dialog.exe> <rounds>
//   latency <waiter folder> <watched title> <runs>
//   install <SETUP.EXE>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "driver_tasks.h"

int main(int argc, char** argv) {
    // Figures go out as they are measured, so that a slow task shows progress.
    setvbuf(stdout, 0, _IONBF, 0);
    if (argc == 5 && !strcmp(argv[1], "startup")) return TimeStartups(argv[2], argv[3], atoi(argv[4]));
    if (argc == 5 && !strcmp(argv[1], "latency")) return TimeDetections(argv[2], argv[3], atoi(argv[4]));
    if (argc == 3 && !strcmp(argv[1], "install")) return RunInstallFromMenu(argv[2]);
    fprintf(stderr, "usage: bench_driver startup|latency|install ...\n");
    return 2;
}
