// Ctrl+C and SIGTERM during a scan or a watch: a signal ignored when the watch begins (a
// shell's background job ignores SIGINT) stays ignored, and each gets its former action back.
#include "tests/support/SignalActions.h"
#include "tools/cli/Interrupt.h"

TEST(InterruptWatch, LeavesAnIgnoredSignalIgnoredAndGivesEachItsFormerActionBack)
{
    ExpectIgnoredSignalsLeftAndFormerActionsBack<InterruptWatch>({SIGINT, SIGTERM});
}
