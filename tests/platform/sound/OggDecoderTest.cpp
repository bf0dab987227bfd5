#include "data/generators/sounds/OggWriter.h"
#include "platform/sound/OggDecoder.h"
#include "TestFolder.h"

#include <cmath>
#include <vector>

namespace {

std::string WriteTone(const std::filesystem::path& path, size_t frames, int channels) {
    std::vector<float> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.4f * std::sin(0.05f * static_cast<float>(i));
    EXPECT_TRUE(OggWriter::WriteOgg(path.string(), samples, channels, 22050));
    return path.string();
}

// Decoding gives every sample once, ends with status 0 and starts over
// after a rewind.
TEST(OggDecoderTest, DecodesTheWholeStreamAndRewinds) {
    const std::filesystem::path folder = VornaTest::FreshFolder();
    FILE* file = std::fopen(WriteTone(folder / "tone.ogg", 30000, 2).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Platform::OggDecoder decoder;
    ASSERT_TRUE(decoder.Open(file));
    EXPECT_EQ(decoder.Channels(), 2);
    EXPECT_EQ(decoder.Rate(), 22050);
    EXPECT_EQ(decoder.TotalSamples(), 30000);
    std::vector<char> block(65536);
    long status = 1;
    size_t total = 0;
    std::vector<char> first;
    for (int i = 0; i < 100 && status > 0; ++i) {
        const int got = decoder.Read(block.data(), static_cast<int>(block.size()), status);
        if (i == 0) first.assign(block.begin(), block.begin() + got);
        total += static_cast<size_t>(got);
    }
    EXPECT_EQ(status, 0);
    EXPECT_EQ(total, 30000u * 4u);
    decoder.Rewind();
    const int again = decoder.Read(block.data(), static_cast<int>(first.size()), status);
    ASSERT_EQ(static_cast<size_t>(again), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), block.begin()));
    decoder.Close();
    EXPECT_FALSE(decoder.IsOpen());
}

// A file that is not Ogg Vorbis is refused and stays the caller's to close.
TEST(OggDecoderTest, ARefusedFileStaysOpenForTheCaller) {
    const std::filesystem::path folder = VornaTest::FreshFolder();
    VornaTest::WriteText(folder / "noise.ogg", std::string(3000, 'O'));
    FILE* file = std::fopen((folder / "noise.ogg").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Platform::OggDecoder decoder;
    EXPECT_FALSE(decoder.Open(file));
    EXPECT_FALSE(decoder.IsOpen());
    EXPECT_EQ(std::fseek(file, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(file), 'O');
    std::fclose(file);
    long status = 1;
    char out[16];
    EXPECT_EQ(decoder.Read(out, sizeof out, status), 0);
    EXPECT_LT(status, 0);
}

} // namespace
