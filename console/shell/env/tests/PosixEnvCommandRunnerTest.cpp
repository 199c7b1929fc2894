// The POSIX runner's started children: Start returns at once and the exit status
// comes back through the GLib main loop; a program that cannot be started says so
// at once.
#include <gtest/gtest.h>

#include <glib.h>

#include "PosixEnvCommandRunner.h"

namespace {

TEST(PosixEnvCommandRunner, AStartedChildsStatusComesBackThroughTheMainLoop)
{
    PosixEnvCommandRunner runner;
    const struct {
        std::vector<std::string> argv;
        int status;
    } cases[] = {
        {{"sh", "-c", "sleep 0.2; exit 3"}, 3},
        {{"sh", "-c", "kill -TERM $$"}, 128 + 15},
        {{"/nonexistent/rvd-program"}, -1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.argv[0]);
        int status = 999;
        bool ended = false;
        const gint64 started = g_get_monotonic_time();
        runner.Start(k.argv, [&](int s) {
            status = s;
            ended = true;
        });
        // Only a program that could not be started ends inside Start.
        EXPECT_EQ(ended, k.status == -1);
        EXPECT_LT(g_get_monotonic_time() - started, 150 * 1000) << "Start waited for the child";
        while (!ended && g_get_monotonic_time() - started < 10 * G_USEC_PER_SEC)
            g_main_context_iteration(nullptr, TRUE);
        EXPECT_TRUE(ended);
        EXPECT_EQ(status, k.status);
    }
}

} // namespace
