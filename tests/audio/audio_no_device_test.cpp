// Start-up without any working OpenAL device: the device says so on standard output and the
// program goes on, silently.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "audio/sound.h"
#include "audio/sound_device.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/test_game.h"

namespace {

TEST(AudioNoDeviceTest, PrintsTheMessageAndRunsOnWithoutSound) {
  // OpenAL Soft reads this once, at its first use in the process.
  ScratchFolder folder;
  const std::string config = folder.File("alsoft.conf");
  {
    std::FILE* out = std::fopen(config.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs("[general]\ndrivers=no-such-backend\n", out);
    std::fclose(out);
  }
  setenv("ALSOFT_CONF", config.c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");

  // Standard output goes to a file while the device starts.
  const std::string captured = folder.File("stdout.txt");
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  std::FILE* sink = std::fopen(captured.c_str(), "w");
  ASSERT_NE(sink, nullptr);
  dup2(fileno(sink), STDOUT_FILENO);

  TestGame game;
  auto audio = std::make_unique<gxtkAudio>();
  // Everything keeps working without effect.
  std::shared_ptr<c_Sound> sound = LoadSoundResource(u"saw_64.wav");
  SetSoundChannelVolume(1, 0.5f);
  SetSoundChannelRate(1, 2.0f);
  audio->SetChannelPan(1, 0.5f);
  PlaySoundOnChannel(sound.get(), 1, 1);
  const int started = sound ? audio->PlayOnChannel(sound->sample, 2, 0) : 0;
  audio->SuspendChannels();
  audio->ResumeChannels();
  audio->PauseChannel(1);
  audio->StopChannel(2);
  const int state = audio->GetChannelState(1);

  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::fclose(sink);

  const Bytes printed = ReadFileBytes(captured);
  EXPECT_EQ(std::string(printed.begin(), printed.end()), "OpenAl error: alcOpenDevice failed\n");
  EXPECT_EQ(audio->Device(), nullptr);
  EXPECT_EQ(audio->Context(), nullptr);
  EXPECT_EQ(AudioDevice(), audio.get());
  // The file is read and reported as loaded; nothing can play it.
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->sample->buffer, 0u);
  EXPECT_EQ(started, -1);
  EXPECT_EQ(state, CHANNEL_STOPPED);
}

}  // namespace
