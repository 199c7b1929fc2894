// Base fixture of every GUI test: a private Xvfb, GTK started on it, the working
// directory prepared (bin/ with ../res/ beside it), and a watchdog that ends the
// process if one test runs past its deadline. The program lists its tests without
// any of this, so test discovery needs no display.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Shows a toplevel window, waits until it is mapped and drawn.
    static bool ShowAndSettle(GtkWidget* window);

    // Only a guard against a hung main loop: GUI tests that clone or restore disk
    // images take a few seconds alone but several times that while a full test run
    // loads every core, and must not be cut off then.
    static constexpr unsigned kTestDeadlineSeconds = 240;

private:
    static bool ready_;
    static std::string error_;
};
