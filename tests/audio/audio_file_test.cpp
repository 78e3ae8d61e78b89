// The host's LoadAudioFile: the reader chosen by the extension, and Ogg Vorbis decoding on a
// file that oggenc made from a tone the test wrote.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "audio/ogg_reader.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/test_game.h"

namespace {

constexpr int kOggRate = 22050;
constexpr int kOggFrames = 33075;  // 1.5 s: the decoder's buffer has to grow several times

// A stereo file: 440 Hz on the left, 660 Hz on the right.
Bytes StereoTone() {
  std::vector<int> values;
  for (int n = 0; n < kOggFrames; ++n) {
    const double t = static_cast<double>(n) / kOggRate;
    values.push_back(static_cast<int>(12000 * std::sin(2 * M_PI * 440 * t)));
    values.push_back(static_cast<int>(12000 * std::sin(2 * M_PI * 660 * t)));
  }
  return PcmWav(2, kOggRate, 16, Pcm16(values));
}

class AudioFileTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new ScratchFolder();
    const std::string wav = folder->Write("tone.wav", StereoTone());
    const std::string command =
        "oggenc -Q -q 6 -o '" + folder->File("tone.ogg") + "' '" + wav + "'";
    encoded = std::system(command.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }

  std::optional<AudioFileData> Load(const std::string& path) {
    return game.LoadAudioFile(FromLatin1(path));
  }

  static ScratchFolder* folder;
  static bool encoded;
  TestGame game;
};

ScratchFolder* AudioFileTest::folder = nullptr;
bool AudioFileTest::encoded = false;

TEST_F(AudioFileTest, PicksTheReaderByExtensionInAnyCase) {
  ASSERT_TRUE(encoded) << "oggenc (vorbis-tools) could not encode the test tone";
  const Bytes wav = PcmWav(1, 8000, 16, Pcm16({1, 2, 3, 4}));
  const Bytes ogg = ReadFileBytes(folder->File("tone.ogg"));
  const struct {
    const char* name;
    const Bytes* content;
    int channels;  // 0: refused
  } cases[] = {
      {"FILE.WAV", &wav, 1},      {"plain.wav", &wav, 1},     {"loop.Ogg", &ogg, 2},
      {"loop.wave", &wav, 0},     {"sound.mp3", &wav, 0},     {"noextension", &wav, 0},
      {"ogg_named.wav", &ogg, 0}, {"wav_named.ogg", &wav, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<AudioFileData> result = Load(folder->Write(c.name, *c.content));
    ASSERT_EQ(result.has_value(), c.channels != 0);
    if (result) {
      EXPECT_EQ(result->channels, c.channels);
    }
  }
  EXPECT_FALSE(Load(folder->File("missing.wav")).has_value());
  // The reader gets the mapped runtime path: the waveforms of the data folder load by it.
  EXPECT_TRUE(game.LoadAudioFile(u"taliscor://data/tri_64.wav").has_value());
}

TEST_F(AudioFileTest, DecodesOggVorbisIntoInterleaved16Bit) {
  ASSERT_TRUE(encoded) << "oggenc (vorbis-tools) could not encode the test tone";
  const std::optional<AudioFileData> result = Load(folder->File("tone.ogg"));
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->channels, 2);
  EXPECT_EQ(result->bytesPerSample, 2);
  EXPECT_EQ(result->rate, kOggRate);
  EXPECT_EQ(result->length, kOggFrames);
  ASSERT_GE(result->pcm.size(), static_cast<size_t>(result->length) * 4);

  AudioClip clip;
  clip.rate = result->rate;
  clip.channels = 2;
  for (int i = 0; i < result->length * 2; ++i) {
    const int16_t s = static_cast<int16_t>(result->pcm[2 * i] | (result->pcm[2 * i + 1] << 8));
    clip.samples.push_back(s / 32768.0f);
  }
  const std::vector<float> left = ChannelOf(clip, 0);
  const std::vector<float> right = ChannelOf(clip, 1);
  EXPECT_NEAR(EstimateFrequency(left.data() + 2000, 11025, kOggRate), 440.0, 0.5);
  EXPECT_NEAR(EstimateFrequency(right.data() + 2000, 11025, kOggRate), 660.0, 0.5);
  EXPECT_NEAR(Rms(left, 2000, 30000), 12000 / 32768.0 / std::sqrt(2.0), 0.02);
}

TEST_F(AudioFileTest, RefusesWhatTheDecoderRejectsAndLeavesTheFileOpen) {
  ASSERT_TRUE(encoded) << "oggenc (vorbis-tools) could not encode the test tone";
  const Bytes ogg = ReadFileBytes(folder->File("tone.ogg"));
  Bytes cut = ogg;
  cut.resize(60);
  Bytes garbage(4096);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<unsigned char>(i * 31);
  const struct {
    const char* name;
    Bytes content;
    bool accepted;
  } cases[] = {{"good.ogg", ogg, true},
               {"cut.ogg", cut, false},
               {"garbage.ogg", garbage, false},
               {"empty.ogg", {}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::FILE* file = std::fopen(folder->Write(c.name, c.content).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadOggFile(file).has_value(), c.accepted);
    // The file is still ours: it can be rewound and read.
    ASSERT_EQ(std::fseek(file, 0, SEEK_SET), 0);
    unsigned char first = 0;
    EXPECT_EQ(std::fread(&first, 1, 1, file), c.content.empty() ? 0u : 1u);
    std::fclose(file);
  }
}

}  // namespace
