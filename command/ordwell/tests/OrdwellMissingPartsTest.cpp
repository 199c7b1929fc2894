// What the executor answers when an engine's factory failed, when a module it loads
// by name is missing, and what the file-system check module's answer becomes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "COrdwell.h"
#include "KSResult.h"
#include "RecordingEngines.h"

namespace {

template <class T>
unsigned long RunRecord(COrdwell& executor, T& record, _KS_CMD_PACKET* reply = nullptr)
{
    _KS_CMD_PACKET* held = reply;
    return executor.Execute(&record.Header, reply != nullptr ? &held : nullptr, 0);
}

TEST(OrdwellMissingParts, CommandsForAMissingEngineAnswerKindFive)
{
    COrdwell executor{OrdwellEngines(), OrdwellModules()};
    uint8_t replyBytes[256] = {};
    for (uint32_t code : {1u, 2u, 10u, 11u, 15u, 20u, 21u, 22u, 25u, 26u, 29u, 30u, 31u, 32u, 36u, 37u, 39u, 40u, 42u,
                          44u, 45u, 46u, 47u, 50u, 54u, 55u}) {
        SCOPED_TRACE(code);
        KS_CMD_MOUNT_REQUEST record{}; // large enough for every payload here
        KSCmdFillHeader(record, code);
        EXPECT_EQ(0x005u, KSResultKind(RunRecord(executor, record, reinterpret_cast<_KS_CMD_PACKET*>(replyBytes))));
        EXPECT_EQ(KS_MODULE_COMMAND, KSResultModule(RunRecord(executor, record, reinterpret_cast<_KS_CMD_PACKET*>(replyBytes))));
    }
}

TEST(OrdwellMissingParts, WithoutTheDeviceManagerNoDiskIsFound)
{
    COrdwell executor{OrdwellEngines(), OrdwellModules()};
    const struct {
        uint32_t code;
        unsigned long result;
    } cases[] = {{48, 0x04107201}, {49, 0x03F07201}, {51, 0x04367201}, {52, 0x04207201},
                 {56, 0x03C87201}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        IManagerItem* item = nullptr;
        KS_CMD_ITEM_REPLY reply{};
        reply.Item = reinterpret_cast<void**>(&item);
        if (c.code == 48) {
            KS_CMD_ADD_PARTITION_REQUEST record{};
            KSCmdFillHeader(record, c.code);
            EXPECT_EQ(c.result, RunRecord(executor, record));
        } else {
            KS_CMD_DISK_RANGE_REQUEST record{};
            KSCmdFillHeader(record, c.code);
            EXPECT_EQ(c.result, RunRecord(executor, record, &reply.Header));
        }
        EXPECT_EQ(nullptr, item);
    }
}

AnsweringTillory g_tillory;
ITilloryModule* OpenAnsweringTillory() { return &g_tillory; }

TEST(OrdwellMissingParts, FileSystemCheckAnswers)
{
    KS_CMD_WORDS_REQUEST record{};
    KSCmdFillHeader(record, TASQUE_CMD_CHECK_FILE_SYSTEM);
    record.Words[0] = 1;
    record.Words[1] = 2048;
    record.Words[2] = 0;
    record.Words[3] = 0;

    COrdwell withoutModule{OrdwellEngines(), OrdwellModules()};
    const unsigned long missing = RunRecord(withoutModule, record);
    EXPECT_EQ(0x001u, KSResultKind(missing));
    EXPECT_EQ(KS_MODULE_COMMAND, KSResultModule(missing));

    OrdwellModules modules;
    modules.openTillory = &OpenAnsweringTillory;
    COrdwell executor{OrdwellEngines(), modules};
    g_tillory.answer = 1;
    EXPECT_EQ(0u, RunRecord(executor, record));
    EXPECT_EQ((std::vector<unsigned long>{1, 2048, 0, 0}), g_tillory.words);
    g_tillory.answer = 0;
    EXPECT_EQ(0x04827652u, RunRecord(executor, record));
}

// A path that is no image file is deleted on its own; a missing path cannot be.
TEST(OrdwellImageSetDeletion, APlainFileIsDeletedAlone)
{
    char folder[] = "/tmp/ordwell-delete-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string plain = std::string(folder) + "/notes.txt";
    const std::string other = std::string(folder) + "/other.txt";
    for (const std::string& f : {plain, other}) {
        std::FILE* out = std::fopen(f.c_str(), "w");
        ASSERT_NE(nullptr, out);
        std::fputs("not an image", out);
        std::fclose(out);
    }
    COrdwell executor{OrdwellEngines(), OrdwellModules()};
    std::wstring wide(plain.begin(), plain.end());
    KS_CMD_POINTER_REQUEST record{};
    KSCmdFillHeader(record, TASQUE_CMD_DELETE_IMAGE_SET);
    record.Pointer = &wide[0];
    EXPECT_EQ(0u, RunRecord(executor, record));
    EXPECT_NE(0, access(plain.c_str(), F_OK));
    EXPECT_EQ(0, access(other.c_str(), F_OK)) << "only the named file goes";
    EXPECT_EQ(0x0231710Du, RunRecord(executor, record)) << "it is gone now";
    record.Pointer = nullptr;
    EXPECT_EQ(0x01F87009u, RunRecord(executor, record));
    std::remove(other.c_str());
    rmdir(folder);
}

} // namespace
