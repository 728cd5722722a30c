// ports on Windows: the machine's COM ports as SetupAPI lists them. The driver libraries open
// the COM ports themselves, so there are no links of ports/ to list or make.
#include "Commands.h"
#include "ExitCodes.h"
#include "PlatformHelp.h"
#include "PortListing.h"

int RunPorts(const Options&, ProgressOutput&)
{
    PrintOut(PortsText(driverlib::ListSerialPorts(), false));
    return ExitSuccess;
}

// The command line refuses ports link already; this is for a caller that did not ask it.
int RunLinkPort(const Options&, ProgressOutput& output)
{
    output.Error(QString::fromUtf8(ThisPlatformHelp.linkPortRefusal));
    return ExitUsage;
}
