#include "engine3/ui/sound/CVR3SOUNDDataOgg.h"
#include "SoundTestSupport.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <dirent.h>

using namespace Vorna3D;

namespace {

// An OpenAL device and context, so buffers can be made.
class SoundDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        device = alcOpenDevice(nullptr);
        ASSERT_NE(device, nullptr);
        context = alcCreateContext(device, nullptr);
        alcMakeContextCurrent(context);
    }
    void TearDown() override {
        alcMakeContextCurrent(nullptr);
        if (context) alcDestroyContext(context);
        if (device) alcCloseDevice(device);
        g_Log.Reset();
    }
    std::string Log() const { return VornaTest::ReadText(folder / "Vorna3Log.log"); }

    static int OpenFiles() {
        int n = 0;
        if (DIR* d = opendir("/proc/self/fd")) {
            while (readdir(d)) ++n;
            closedir(d);
        }
        return n;
    }

    std::filesystem::path folder;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

ALint BufferBytes(ALuint id) {
    ALint size = 0;
    alGetBufferi(id, AL_SIZE, &size);
    return size;
}

TEST_F(SoundDataTest, DecodesShortFilesWholeAndStreamsLongOnes) {
    struct Case {
        size_t frames;
        int channels;
        bool streamed;
        size_t buffers;  // whole files: one per 200,000 bytes
    };
    const Case cases[] = {
        {300000, 1, false, 3},  // exactly at the threshold: decoded whole
        {300001, 1, true, 2},   // one more: streamed through two buffers
        {100000, 1, false, 1},  // exactly 200,000 bytes: no empty tail buffer
        {100001, 1, false, 2},
        {60000, 2, false, 2},   // stereo: 240,000 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frames) + " frames, " + std::to_string(c.channels) + " channels");
        const std::string path = SoundTest::WriteTone(folder / "tone.ogg", c.frames, c.channels);
        CVR3SOUNDDataOgg data;
        ASSERT_TRUE(data.Open(path, "tone.ogg"));
        EXPECT_EQ(data.m_llTotalSamples, static_cast<int64_t>(c.frames));
        EXPECT_EQ(data.m_bStreamed, c.streamed);
        EXPECT_EQ(data.m_iChannels, c.channels);
        EXPECT_EQ(data.m_iRate, 22050);
        EXPECT_EQ(data.m_iFormat, c.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16);
        EXPECT_NEAR(data.m_dTotalTime, static_cast<double>(c.frames) / 22050.0, 1e-6);
        ASSERT_TRUE(data.CreateBuffers());
        ASSERT_EQ(data.m_stdvBufferIds.size(), c.buffers);
        if (!c.streamed) {
            // The buffers hold every sample of the file and nothing more.
            ALint total = 0;
            for (ALuint id : data.m_stdvBufferIds) {
                EXPECT_LE(BufferBytes(id), CVR3SOUNDData::kBufferBytes);
                total += BufferBytes(id);
            }
            EXPECT_EQ(total, static_cast<ALint>(c.frames * c.channels * 2));
            EXPECT_FALSE(data.IsDecoderOpen());
        }
        data.Close();
        EXPECT_TRUE(data.m_stdvBufferIds.empty());
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
    }
}

TEST_F(SoundDataTest, StreamRewindsAfterItsLastBuffer) {
    const size_t frames = 450000;
    const std::string path = SoundTest::WriteTone(folder / "long.ogg", frames);
    CVR3SOUNDDataOgg data;
    ASSERT_TRUE(data.Open(path, "long.ogg"));
    ASSERT_TRUE(data.CreateBuffers());
    const ALuint buffer = data.m_stdvBufferIds[0];
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        // Every pass reads the whole file once more: the end rewinds it.
        size_t bytes = 0;
        int fills = 0;
        bool more = true;
        while (more && fills < 100) {
            int filled = 0;
            more = data.FillBufferCounted(buffer, CVR3SOUNDData::kBufferBytes, filled);
            bytes += static_cast<size_t>(filled);
            ++fills;
        }
        EXPECT_FALSE(more);
        EXPECT_EQ(bytes, frames * 2);
        EXPECT_EQ(fills, 5);
    }
    EXPECT_FALSE(data.FillBuffer(buffer, 0));
    data.Close();
}

// Files as other encoders and taggers leave them: the last page without its
// end-of-stream flag, bytes after the last page (an appended tag), a file cut
// short inside a page. What the decoding library opens and decodes plays:
// every sample, or those of the whole pages of a cut file.
TEST_F(SoundDataTest, OpensWhatTheDecoderPlays) {
    constexpr size_t kFrames = 250000; // decoded whole, and enough pages to cut
    const std::vector<float> tone = SoundTest::Tone(kFrames, 1, 22050);
    struct Case {
        const char* file;
        OggWriter::Ending ending;
        bool cut;
    };
    const Case cases[] = {
        {"no_eos.ogg", {false, ""}, false},
        {"tagged.ogg", {true, "TAG" + std::string(125, 'x')}, false},
        {"no_eos_tagged.ogg", {false, std::string(5000, '\0')}, false},
        {"cut.ogg", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = (folder / c.file).string();
        ASSERT_TRUE(OggWriter::WriteOgg(path, tone, 1, 22050, 0.3f, c.ending));
        if (c.cut) {
            const std::string bytes = VornaTest::ReadText(path);
            VornaTest::WriteText(path, bytes.substr(0, bytes.size() * 2 / 3));
        }
        CVR3SOUNDDataOgg data;
        ASSERT_TRUE(data.Open(path, c.file)) << Log();
        if (c.cut) {
            EXPECT_GT(data.m_llTotalSamples, 0);
            EXPECT_LT(data.m_llTotalSamples, static_cast<int64_t>(kFrames));
        } else {
            EXPECT_EQ(data.m_llTotalSamples, static_cast<int64_t>(kFrames));
        }
        size_t bytes = 0;
        for (const auto& block : data.GetPendingPcm()) bytes += block.size();
        EXPECT_EQ(bytes, static_cast<size_t>(data.m_llTotalSamples) * 2);
        ASSERT_TRUE(data.CreateBuffers());
        data.Close();
    }
    EXPECT_TRUE(g_Log.GetErrorLines().empty()) << Log();
}

TEST_F(SoundDataTest, BadFilesFailToOpenWithALogLineAndNoOpenFile) {
    const std::string good = SoundTest::WriteTone(folder / "good.ogg", 250000);
    const std::string bytes = VornaTest::ReadText(good);
    // Damage inside the audio pages: the headers and the last page are sound,
    // so the file opens and the decoder meets the hole.
    std::string corrupt = bytes;
    for (size_t i = bytes.size() * 60 / 100; i < bytes.size() * 60 / 100 + 16; ++i)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    VornaTest::WriteText(folder / "headers_only.ogg", bytes.substr(0, 60));
    VornaTest::WriteText(folder / "corrupt.ogg", corrupt);
    VornaTest::WriteText(folder / "text.ogg", "this is not a sound file\n");
    VornaTest::WriteText(folder / "empty.ogg", "");
    std::vector<float> three(3 * 1000, 0.1f);
    ASSERT_TRUE(OggWriter::WriteOgg((folder / "three.ogg").string(), three, 3, 22050));

    struct Case {
        const char* file;
        const char* logLine;
    };
    const Case cases[] = {
        {"missing.ogg", "CVR3SOUNDDataOgg::Open() : fopen_s() failed on file: "},
        {"text.ogg", "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: "},
        {"empty.ogg", "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: "},
        {"headers_only.ogg", "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: "},
        {"three.ogg", "Error : CVR3SOUNDDataOgg::Open : can not convert sound file to vorbis OGG: "},
        {"corrupt.ogg", "CVR3SOUNDDataOgg::Open() : decoding cut short on file: "},
    };
    const int filesBefore = OpenFiles();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        CVR3SOUNDDataOgg data;
        const std::string path = (folder / c.file).string();
        EXPECT_FALSE(data.Open(path, c.file));
        EXPECT_FALSE(data.m_bOpened);
        EXPECT_FALSE(data.IsDecoderOpen());
        EXPECT_EQ(OpenFiles(), filesBefore);
        EXPECT_NE(Log().find(std::string(c.logLine) + path + "\n"), std::string::npos) << Log();
        EXPECT_EQ(g_Log.GetErrorLines().size(), 1u);
    }
    CVR3SOUNDDataOgg data;
    EXPECT_FALSE(data.Open(nullptr, "x"));
}

} // namespace
