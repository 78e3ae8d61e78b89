// The WAV reader over small files built byte by byte.
#include "audio/wav_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "tests/audio/allocation_probe.h"
#include "tests/audio/wav_fixture.h"

namespace {

std::optional<AudioFileData> ReadBytes(const Bytes& bytes) {
  // fmemopen refuses an empty buffer: give it one byte of room and no content.
  static unsigned char empty = 0;
  std::FILE* file = bytes.empty()
                        ? fmemopen(&empty, 1, "rb")
                        : fmemopen(const_cast<unsigned char*>(bytes.data()), bytes.size(), "rb");
  if (!file) return std::nullopt;
  if (bytes.empty()) std::fseek(file, 0, SEEK_END);
  std::optional<AudioFileData> result = ReadWavFile(file);
  std::fclose(file);
  return result;
}

Bytes Counting(size_t count) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  return bytes;
}

Bytes Cut(Bytes bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

const Bytes kStereo = Counting(4000);
const Bytes kCanonical = PcmWav(2, 22050, 16, kStereo);

struct Expected {
  int length, channels, bytesPerSample, rate;
  Bytes pcm;
};

struct WavCase {
  const char* name;
  Bytes file;
  std::optional<Expected> expected;  // none: the reader refuses the file
};

// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const WavCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<WavCase> Cases() {
  std::vector<WavCase> cases;
  cases.push_back({"canonical_stereo_16", kCanonical, Expected{1000, 2, 2, 22050, kStereo}});
  {
    ByteWriter w = WavHeader(2, 22050, 16, 1, 18);
    w.Tag("data").U32(4000).Raw(kStereo);
    cases.push_back({"format_chunk_of_18", w.bytes, Expected{1000, 2, 2, 22050, kStereo}});
  }
  {
    ByteWriter w = WavHeader(1, 8000, 16);
    w.Tag("LIST").U32(10).Raw(Counting(10)).Tag("data").U32(6).Raw(Pcm16({1, -1, 300}));
    cases.push_back({"list_before_data", w.bytes, Expected{3, 1, 2, 8000, Pcm16({1, -1, 300})}});
  }
  {
    // Sizes are taken as stored: no pad byte follows a chunk of odd size.
    ByteWriter w = WavHeader(1, 8000, 8);
    w.Tag("junk").U32(3).Raw({1, 2, 3}).Tag("data").U32(2).Raw({10, 20});
    cases.push_back({"odd_chunk_unpadded", w.bytes, Expected{2, 1, 1, 8000, {10, 20}}});
  }
  {
    ByteWriter w = WavHeader(1, 8000, 8);
    w.Tag("data").U32(2).Raw({10, 20}).Tag("data").U32(2).Raw({30, 40});
    cases.push_back({"first_data_chunk_wins", w.bytes, Expected{2, 1, 1, 8000, {10, 20}}});
  }
  {
    // Unsigned 8-bit samples come back untouched: 128 is the zero line.
    const Bytes samples = {0, 128, 255, 1, 127};
    cases.push_back(
        {"mono_8bit_unsigned", PcmWav(1, 11025, 8, samples), Expected{5, 1, 1, 11025, samples}});
  }
  {
    const Bytes odd = Counting(4001);
    cases.push_back(
        {"partial_last_frame", PcmWav(2, 22050, 16, odd), Expected{1000, 2, 2, 22050, odd}});
  }
  {
    const Bytes samples = Counting(12);
    cases.push_back({"24bit_returned_as_stored", PcmWav(1, 48000, 24, samples),
                     Expected{4, 1, 3, 48000, samples}});
  }
  {
    ByteWriter w;
    w.Tag("RIFF").U32(0).Tag("WAVE").Tag("LIST").U32(4).Tag("INFO");
    w.Raw(Cut(kCanonical, 44)).Raw(kStereo);
    cases.push_back({"fmt_not_first", w.bytes, std::nullopt});
  }
  {
    ByteWriter w = WavHeader(1, 44100, 32, 3);
    w.Tag("data").U32(8).Raw(Counting(8));
    cases.push_back({"float_format", w.bytes, std::nullopt});
  }
  {
    Bytes riff = kCanonical;
    riff[3] = 'X';
    cases.push_back({"not_riff", riff, std::nullopt});
    Bytes wave = kCanonical;
    wave[8] = 'w';
    cases.push_back({"not_wave", wave, std::nullopt});
  }
  cases.push_back({"empty_file", {}, std::nullopt});
  cases.push_back({"cut_in_riff_header", Cut(kCanonical, 10), std::nullopt});
  cases.push_back({"cut_in_format_chunk", Cut(kCanonical, 30), std::nullopt});
  cases.push_back({"cut_before_data", Cut(kCanonical, 36), std::nullopt});
  cases.push_back({"cut_in_data_header", Cut(kCanonical, 41), std::nullopt});
  cases.push_back({"cut_in_data", Cut(kCanonical, 100), std::nullopt});
  {
    // A 4 GiB claim in a file of a few dozen bytes, and one just under 2 GiB.
    ByteWriter huge = WavHeader(2, 22050, 16);
    huge.Tag("data").U32(0xFFFFFFFFu).Raw(Counting(56));
    cases.push_back({"data_claims_4gib", huge.bytes, std::nullopt});
    ByteWriter large = WavHeader(2, 22050, 16);
    large.Tag("data").U32(0x7FFFFFF0u).Raw(Counting(56));
    cases.push_back({"data_claims_2gib", large.bytes, std::nullopt});
  }
  {
    ByteWriter noChannels = WavHeader(0, 22050, 16);
    noChannels.Tag("data").U32(4).Raw(Counting(4));
    cases.push_back({"zero_channels", noChannels.bytes, std::nullopt});
    ByteWriter tinySamples = WavHeader(1, 22050, 4);
    tinySamples.Tag("data").U32(4).Raw(Counting(4));
    cases.push_back({"samples_under_a_byte", tinySamples.bytes, std::nullopt});
  }
  return cases;
}

class WavReaderTest : public testing::TestWithParam<WavCase> {};

TEST_P(WavReaderTest, ReadsOrRefuses) {
  const WavCase& c = GetParam();
  ResetAllocationProbe();
  const std::optional<AudioFileData> result = ReadBytes(c.file);
  // Whatever the header claims, the reader never asks for much more than the file holds.
  EXPECT_LE(LargestAllocation(), c.file.size() + 65536);
  if (!c.expected) {
    EXPECT_FALSE(result.has_value());
    return;
  }
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->length, c.expected->length);
  EXPECT_EQ(result->channels, c.expected->channels);
  EXPECT_EQ(result->bytesPerSample, c.expected->bytesPerSample);
  EXPECT_EQ(result->rate, c.expected->rate);
  EXPECT_EQ(result->pcm, c.expected->pcm);
}

INSTANTIATE_TEST_SUITE_P(Files, WavReaderTest, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<WavCase>& info) {
                           return std::string(info.param.name);
                         });

// A pipe cannot report its size: the data is then read in pieces as it arrives, with the same
// results.
TEST(WavReaderPipeTest, ReadsWithoutKnowingTheFileSize) {
  ScratchFolder folder;
  ByteWriter huge = WavHeader(2, 22050, 16);
  huge.Tag("data").U32(0x7FFFFFF0u).Raw(Counting(56));
  const struct {
    Bytes file;
    bool accepted;
  } cases[] = {{kCanonical, true}, {huge.bytes, false}, {Cut(kCanonical, 100), false}};
  for (const auto& c : cases) {
    const std::string path = folder.Write("in.wav", c.file);
    std::FILE* pipe = popen(("cat '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    ResetAllocationProbe();
    const std::optional<AudioFileData> result = ReadWavFile(pipe);
    pclose(pipe);
    EXPECT_LE(LargestAllocation(), size_t{1} << 20);
    ASSERT_EQ(result.has_value(), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(result->length, 1000);
      EXPECT_EQ(result->pcm, kStereo);
    }
  }
}

}  // namespace
