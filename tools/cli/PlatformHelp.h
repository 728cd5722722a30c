// What serkon-cli says differently on each platform about the ports: on Linux the driver
// libraries take their serial devices from the links of ports/, on Windows they open the COM
// ports themselves, so there is nothing to link.
#pragma once

struct PlatformHelp {
    const char* portsSummary;
    const char* portsDetails;
    const char* linkPortSummary;
    const char* linkPortDetails;
    const char* fileNotWritten;   // what exit code 1 means, after "  1  "
    const char* linkPortRefusal;  // why ports link does not run here; nullptr where it does
};

extern const PlatformHelp ThisPlatformHelp;
