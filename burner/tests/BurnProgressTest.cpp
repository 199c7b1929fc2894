// The progress parsers over transcripts of the tools' output.
#include "BurnProgress.h"

#include <IPyrelle.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(BurnProgressTest, CdWriteReadsTheMegabytesWrittenOfTheLastLine)
{
    const std::string transcript =
        "Starting to write CD/DVD at speed  16.0 in real TAO mode for multi session.\n"
        "\rTrack 01:    1 of  300 MB written (fifo 100%) [buf  99%]  16.0x."
        "\rTrack 01:   12 of  300 MB written (fifo 100%) [buf  99%]  16.0x.\n";
    const BurnProgress progress = CdWriteProgress(transcript, 300);
    EXPECT_EQ(progress.kind, 0u);
    EXPECT_EQ(progress.value, 12);
    EXPECT_EQ(progress.total, 300);
    EXPECT_EQ(progress.stage, BURN_STAGE_CD_WRITE);
}

TEST(BurnProgressTest, ValuesOutsideTheirRangeAreNoProgress)
{
    struct Case {
        const char* text;
        int stage;
        uint64_t imageMiB;
        unsigned long kind;
        int value;
    } cases[] = {
        {"Track 01:  300 of  300 MB written", BURN_STAGE_CD_WRITE, 300, KS_KIND_BURN_PROGRESS, 300},
        {"Track 01:    0 of  300 MB written", BURN_STAGE_CD_WRITE, 300, KS_KIND_BURN_PROGRESS, 0},
        {"nothing yet", BURN_STAGE_CD_WRITE, 300, KS_KIND_BURN_PROGRESS, 0},
        {" 45.12% done, estimate finish", BURN_STAGE_ISO, 0, 0, 45},
        {"100.00% done", BURN_STAGE_ISO, 0, KS_KIND_BURN_PROGRESS, 0},
        {"  1000/2000 (50.0%) @4.0x, remaining 0:01 RBU 100.0% UBU  99.8%", BURN_STAGE_DVD_IMAGE, 0, 0, 50},
        {"  2000/2000 (100.0%) @4.0x, remaining 0:00 RBU 100.0% UBU  99.8%", BURN_STAGE_DVD_IMAGE, 0,
         KS_KIND_BURN_PROGRESS, 0},
        // The last "%" of the writer's line is its buffer fill, not progress.
        {"  1000/2000 (42.0%) @4.0x, remaining 0:01 RBU 100.0% UBU  99.8%", BURN_STAGE_DVD_FOLDER, 0, 0, 42},
        {"  7.31% done, estimate finish Fri Dec 11 00:10:37 2026", BURN_STAGE_DVD_FOLDER, 0, 0, 7},
        {"  1000/2000 (42.0%) @4.0x\n:-( write failed: Input/output error\n", BURN_STAGE_DVD_FOLDER, 0,
         KS_KIND_BURN_FAILED, 0},
        {"  1000/2000 (42.0%) @4.0x\n:-( write failed\n", BURN_STAGE_DVD_IMAGE, 0, KS_KIND_BURN_FAILED, 0},
    };
    for (const Case& c : cases) {
        BurnProgress progress = c.stage == BURN_STAGE_CD_WRITE ? CdWriteProgress(c.text, c.imageMiB)
                                : c.stage == BURN_STAGE_ISO    ? IsoBuildProgress(c.text)
                                                               : DvdWriteProgress(c.text, c.stage);
        EXPECT_EQ(progress.kind, c.kind) << c.text;
        EXPECT_EQ(progress.stage, c.stage) << c.text;
        if (c.kind == 0) {
            EXPECT_EQ(progress.value, c.value) << c.text;
        }
    }
}

// A real ISO builder run over a folder big enough for it to print "% done".
TEST(BurnProgressTest, ARealIsoBuilderTranscriptGivesItsPercentDone)
{
    const std::string folder = testing::TempDir() + "iso-progress";
    ASSERT_EQ(std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "/files' && head -c 24000000 "
                           "/dev/urandom > '" + folder + "/files/data.bin'").c_str()),
              0);
    std::FILE* run = popen(("genisoimage -o '" + folder + "/out.iso' -v -r -J '" + folder + "/files' 2>&1").c_str(), "r");
    ASSERT_NE(run, nullptr);
    std::string transcript;
    char line[512];
    while (std::fgets(line, sizeof line, run))
        transcript += line;
    ASSERT_EQ(pclose(run), 0) << transcript;
    const size_t done = transcript.find("% done");
    ASSERT_NE(done, std::string::npos) << transcript;
    // Cut after the first "% done" line, as a poll in the middle of the run would see it.
    const std::string partial = transcript.substr(0, transcript.find('\n', done) + 1);
    const BurnProgress progress = IsoBuildProgress(partial);
    EXPECT_EQ(progress.kind, 0u) << partial;
    EXPECT_GE(progress.value, 1);
    EXPECT_LE(progress.value, 99);
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
}

} // namespace
