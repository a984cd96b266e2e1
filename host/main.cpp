// orvhost: runs the service library on the simulated Windows machine, playing the service
// host and the rest of the machine through scenarios.

#include "host/cli.h"

int main(int argc, char** argv) {
    return orvhost::RunCommandLine(argc, argv);
}
