#include "engine2/ui/sound/COALOggSoundData.h"
#include "FakeOpenAL.h"
#include "SoundTestSupport.h"

#include <dirent.h>
#include <numeric>

using namespace Vorna2;

namespace {

class CampaignSoundDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeAL::Reset();
        m_folder = VornaTest::FreshFolder();
        m_log = SoundTest::OpenLog(m_folder);
    }
    void TearDown() override { g_Log.Reset(); }
    std::string Log() const { return VornaTest::ReadText(m_log); }

    std::filesystem::path m_folder;
    std::filesystem::path m_log;
};

size_t BufferedBytes(const COALSoundData& data) {
    size_t total = 0;
    for (ALuint b : data.m_stdvBuffers) total += FakeAL::Get().buffers.at(b).data.size();
    return total;
}

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}

// How a file is held follows its length and channels: up to 300000 samples
// it is decoded whole into buffers of at most 65536 bytes that carry exactly
// the decoded bytes (never an empty one); beyond that it is streamed through
// two buffers filled later.
TEST_F(CampaignSoundDataTest, LengthAndChannelsDecideHowTheDataIsHeld) {
    struct Case {
        size_t frames;
        int channels;
        bool streamed;
        ALenum format;
        size_t buffers;
    };
    const Case cases[] = {
        {300000, 1, false, AL_FORMAT_MONO16, 10},    // 600000 bytes: 9 full buffers and the rest
        {300001, 1, true, AL_FORMAT_MONO16, 2},
        {1000, 2, false, AL_FORMAT_STEREO16, 1},
        {32768, 1, false, AL_FORMAT_MONO16, 1},      // exactly 65536 bytes: one buffer, no empty one
        {65536, 2, false, AL_FORMAT_STEREO16, 4},    // an exact multiple of the buffer size
        {5000, 4, false, AL_FORMAT_STEREO16, 1},     // more channels keep the stereo format
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frames) + " frames, " + std::to_string(c.channels) + " channels");
        FakeAL::Reset();
        const std::string file = SoundTest::WriteTone(m_folder / ("tone" + std::to_string(c.frames) + "_" +
                                                                  std::to_string(c.channels) + ".ogg"),
                                                      c.frames, c.channels);
        COALOggSoundData data;
        ASSERT_TRUE(data.Open(file.c_str()));
        EXPECT_TRUE(data.m_bOpened);
        EXPECT_EQ(data.m_iUseCount, 1);
        EXPECT_EQ(data.m_bStreamed, c.streamed);
        EXPECT_EQ(data.m_iFormat, c.format);
        EXPECT_EQ(data.m_iChannels, c.channels);
        EXPECT_EQ(data.m_llTotalSamples, static_cast<int64_t>(c.frames));
        ASSERT_EQ(data.m_stdvBuffers.size(), c.buffers);
        if (c.streamed) {
            EXPECT_TRUE(FakeAL::Get().uploads.empty());
        } else {
            EXPECT_EQ(BufferedBytes(data), c.frames * static_cast<size_t>(c.channels) * 2u);
            for (ALuint b : data.m_stdvBuffers) {
                EXPECT_GT(FakeAL::Get().buffers.at(b).data.size(), 0u);
                EXPECT_LE(FakeAL::Get().buffers.at(b).data.size(), 65536u);
            }
        }
        data.Close();
        EXPECT_TRUE(FakeAL::Get().buffers.empty());
    }
    // Only the four-channel file was worth a warning, and it counts as no error.
    EXPECT_EQ(SoundTest::CountLines(Log(), "Warning : "), 1);
    EXPECT_EQ(g_Log.GetErrorCount(), 0);
}

// A stream is filled a block at a time; the last block carries only what
// was left, the end is told apart, and the next fill starts over.
TEST_F(CampaignSoundDataTest, AStreamFillsWholeBlocksThenTheRestThenStartsOver) {
    const size_t frames = 300001 + 5000;
    const std::string file = SoundTest::WriteTone(m_folder / "long.ogg", frames);
    COALOggSoundData data;
    ASSERT_TRUE(data.Open(file.c_str()));
    ASSERT_TRUE(data.m_bStreamed);
    const ALuint buffer = data.m_stdvBuffers[0];
    size_t total = 0;
    int uploaded = 0;
    COALSoundData::EFill fill = COALSoundData::FILL_MORE;
    int fills = 0;
    while ((fill = data.Fill(buffer, COALSoundData::kFillBytes, uploaded)) == COALSoundData::FILL_MORE) {
        EXPECT_EQ(uploaded, 65536);
        total += static_cast<size_t>(uploaded);
        ASSERT_LT(++fills, 100);
    }
    ASSERT_EQ(fill, COALSoundData::FILL_END);
    total += static_cast<size_t>(uploaded);
    EXPECT_EQ(total, frames * 2u);
    EXPECT_EQ(FakeAL::Get().buffers.at(buffer).data.size(), static_cast<size_t>(uploaded));
    // Rewound: the next fill is the first block again.
    const std::vector<char> last = FakeAL::Get().buffers.at(buffer).data;
    EXPECT_TRUE(data.FillBuffer(buffer, COALSoundData::kFillBytes));
    EXPECT_EQ(FakeAL::Get().buffers.at(buffer).data.size(), 65536u);
    data.Rewind();
    std::vector<char> again;
    data.Fill(buffer, COALSoundData::kFillBytes, uploaded);
    again = FakeAL::Get().buffers.at(buffer).data;
    data.Rewind();
    data.Fill(buffer, COALSoundData::kFillBytes, uploaded);
    EXPECT_EQ(FakeAL::Get().buffers.at(buffer).data, again);
}

// An upload that OpenAL refuses fails the open instead of leaving a sound
// cut short, and a buffer that cannot be made fails it too; either way
// nothing is left behind.
TEST_F(CampaignSoundDataTest, RefusedUploadsAndBuffersFailTheOpen) {
    const std::string whole = SoundTest::WriteTone(m_folder / "whole.ogg", 100000);
    const std::string longFile = SoundTest::WriteTone(m_folder / "stream.ogg", 310000);
    {
        // The first block is refused: the open fails rather than hold a sound
        // cut short.
        FakeAL::Reset();
        FakeAL::FailNext("alBufferData");
        COALOggSoundData data;
        EXPECT_FALSE(data.Open(whole.c_str()));
        EXPECT_FALSE(data.m_bOpened);
        EXPECT_TRUE(FakeAL::Get().buffers.empty());
    }
    {
        FakeAL::Reset();
        FakeAL::FailNext("alGenBuffers");
        COALOggSoundData data;
        EXPECT_FALSE(data.Open(whole.c_str()));
        FakeAL::FailNext("alGenBuffers");
        EXPECT_FALSE(data.Open(longFile.c_str()));
        EXPECT_TRUE(FakeAL::Get().buffers.empty());
    }
    const std::string log = Log();
    EXPECT_EQ(SoundTest::CountLines(log, "CVR3SOUNDDataOgg::FillBuffer() : alBufferData() failed : Invalid Operation. "
                                         "OGG file : whole.ogg\n"),
              1);
    EXPECT_EQ(SoundTest::CountLines(log, "CVR3SOUNDDataOgg::Open() : can not generate buffer : Invalid Operation\n"), 1);
    EXPECT_EQ(SoundTest::CountLines(log, "CVR3SOUNDDataOgg::Open() : can not generate buffers : Invalid Operation\n"),
              1);
}

// Files that are missing or not Ogg Vorbis fail with a line that names
// them, even when the name looks like a format, and leave no file open.
TEST_F(CampaignSoundDataTest, MissingAndForeignFilesFailWithTheirNames) {
    const std::filesystem::path foreign = m_folder / "not%s%n.ogg";
    VornaTest::WriteText(foreign, std::string(5000, 'x'));
    const std::filesystem::path empty = m_folder / "empty.ogg";
    VornaTest::WriteText(empty, "");
    const int before = OpenDescriptors();
    COALOggSoundData data;
    EXPECT_FALSE(data.Open(foreign.c_str()));
    EXPECT_FALSE(data.Open(empty.c_str()));
    EXPECT_FALSE(data.Open((m_folder / "missing.ogg").c_str()));
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_FALSE(data.m_bOpened);
    const std::string log = Log();
    EXPECT_NE(log.find("Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: " +
                       foreign.string() + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("can not convert sound file to vorbis OGG: " + empty.string() + "\n"), std::string::npos);
    EXPECT_NE(log.find("CVR3SOUNDDataOgg::Open() : fopen_s() failed on file: " + (m_folder / "missing.ogg").string()),
              std::string::npos);
    EXPECT_EQ(g_Log.GetErrorCount(), 3);
}

TEST_F(CampaignSoundDataTest, TheSharingNameIsTheFilePartCutTo39Characters) {
    const std::string longName(50, 'n');
    const std::string file = SoundTest::WriteTone(m_folder / (longName + ".ogg"), 500);
    COALOggSoundData data;
    ASSERT_TRUE(data.Open(file.c_str()));
    EXPECT_EQ(std::string(data.m_szName), longName.substr(0, 39));
}

TEST_F(CampaignSoundDataTest, TheSeekCallbackGivesFseeksResult) {
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs("0123456789", f);
    EXPECT_EQ(OggSeekCallback(f, 4, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(f), '4');
    EXPECT_EQ(OggSeekCallback(f, -100, SEEK_SET), -1);
    std::fclose(f);
}

} // namespace
