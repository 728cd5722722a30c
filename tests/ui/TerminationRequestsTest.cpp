// The signals that ask the program to end: one the user had ignored (nohup ignores SIGHUP)
// stays ignored, and each gets its former action back, not the default one.
#include "tests/support/SignalActions.h"
#include "ui/TerminationRequests.h"

TEST(TerminationRequests, LeaveAnIgnoredSignalIgnoredAndGiveEachItsFormerActionBack)
{
    ExpectIgnoredSignalsLeftAndFormerActionsBack<TerminationRequests>({SIGTERM, SIGHUP, SIGINT});
}
